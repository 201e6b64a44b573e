#include "driver/distribution_phase.h"

#include <cstddef>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

#include "base/console.h"
#include "base/number_file.h"
#include "distributions/job_source_kinds.h"
#include "distributions/phase_seed.h"
#include "driver/phase_settings.h"
#include "linear/step_replay.h"
#include "output/number_text.h"
#include "results/batch_errors.h"
#include "solve/phase_solver.h"

namespace linprob {

std::string collapseMessage(const FamilyInfo& family, unsigned unknown,
                            const BandsCollapse& collapse,
                            int histogramPrecision) {
  std::ostringstream text;
  text << family.name << " family, unknown " << unknown << ": the band width "
       << numberText(collapse.step) << " (HistogramPrecision "
       << histogramPrecision
       << ") is below the resolution of the values from Min "
       << numberText(collapse.min) << " to Max " << numberText(collapse.max)
       << ": the bands would collapse";
  return text.str();
}

PhaseResult runDistributionPhase(const FamilyInfo& family,
                                 const PhaseContext& context) {
  const RunSettings& settings = context.settings;
  {
    std::ostringstream line;
    line << family.startLine << "Matrix: " << context.matrixIndex
         << family.modeWord << context.mode.rowPivot << ","
         << context.mode.colPivot;
    printLine(line.str());
  }

  const std::string path = context.subFolder + family.parameterFile;
  const unsigned n = settings.Dimensions;
  const auto file = readNumbers(path, 2 * std::size_t{n});
  if (!file.ok()) {
    throw std::runtime_error(path + ": " + file.status().message());
  }
  PhaseSpec spec;
  spec.family = &family;
  spec.n = n;
  spec.pairs = splitPairs(file.value(), n);
  spec.count = phaseCountFor(settings);
  spec.points = settings.points;
  // Every draw, in both passes over the samples, comes from this seed.
  spec.seed = context.runSeed ? phaseSeed(*context.runSeed, context.matrixIndex,
                                          context.mode, family.family)
                              : drawSeed();
  const std::unique_ptr<JobSource> source =
      makeJobSource(sourceKindFor(settings), spec);
  SolveOptions options = solveOptionsFor(settings);
  options.stop = context.stop;
  options.references = context.references;
  options.group = context.group;
  PhaseCounts counts;
  try {
    if (context.display != nullptr) {
      options.progress = &context.display->beginPhase(
          context.matrixIndex, context.mode, family.family);
      // The line is erased when the phase ends, solved or not.
      struct EndPhase {
        ProgressDisplay& display;
        ~EndPhase() { display.endPhase(); }
      } endPhase{*context.display};
      counts = countPhase(*source, context.system, options);
    } else {
      counts = countPhase(*source, context.system, options);
    }
  } catch (const BandsCollapse& collapse) {
    throw std::runtime_error(collapseMessage(
        family, context.system.columnOrder()[collapse.position], collapse,
        settings.HistogramPrecision));
  }

  // The bands are counted without sorting; the lines stay for the user.
  printLine(family.sortingLine);
  for (unsigned v = 0; v < settings.Dimensions; ++v) {
    printLine("Variable " + std::to_string(v));
  }

  std::vector<NormalParameters> moments = familyMoments(family, spec.pairs);
  replaySteps(moments, context.system.steps());
  std::vector<std::optional<PositionErrors>> errors;
  if (counts.batches) errors = standardErrors(*counts.batches, counts.bands);
  PhaseResult result = makePhaseResult(family.family, std::move(counts.bands),
                                       moments, context.system.columnOrder(),
                                       context.stop);
  if (context.stop.stop_requested()) throw PhaseStopped{};
  result.seed = source->seed();
  for (std::size_t e = 0; e < errors.size(); ++e) {
    result.positions[e].errors = std::move(errors[e]);
  }
  return result;
}

}  // namespace linprob
