#include "driver/distribution_phase.h"

#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

#include "base/console.h"
#include "distributions/parameter_files.h"
#include "distributions/phase_seed.h"
#include "linear/step_replay.h"
#include "output/number_text.h"
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
  PhaseJobs jobs;
  const int count = settings.ExactDistributions ? settings.IntegrationPrecision
                                                : settings.SampleCount;
  std::optional<std::uint64_t> seed;
  if (context.runSeed) {
    seed = phaseSeed(*context.runSeed, context.matrixIndex, context.mode,
                     family.family);
  }
  const Status loaded =
      loadPhaseJobs(family.family, path, settings.Dimensions, count,
                    settings.ExactDistributions, jobs, seed);
  if (!loaded.ok()) throw std::runtime_error(path + ": " + loaded.message());
  SolveOptions options;
  options.solverThreads = settings.SolverThreadCount;
  options.generatorThreads = settings.GeneratorThreadCount;
  options.histogramPrecision = settings.HistogramPrecision;
  options.stop = context.stop;
  options.references = context.references;
  options.group = context.group;
  PhaseBands bands;
  try {
    if (context.display != nullptr) {
      options.progress = &context.display->beginPhase(
          context.matrixIndex, context.mode, family.family);
      // The line is erased when the phase ends, solved or not.
      struct EndPhase {
        ProgressDisplay& display;
        ~EndPhase() { display.endPhase(); }
      } endPhase{*context.display};
      bands = solvePhase(jobs, context.system, options);
    } else {
      bands = solvePhase(jobs, context.system, options);
    }
  } catch (const BandsCollapse& collapse) {
    throw std::runtime_error(
        collapseMessage(family, context.system.columnOrder[collapse.position],
                        collapse, settings.HistogramPrecision));
  }

  // The bands are counted without sorting; the lines stay for the user.
  printLine(family.sortingLine);
  for (unsigned v = 0; v < settings.Dimensions; ++v) {
    printLine("Variable " + std::to_string(v));
  }

  auto moments = readFamilyMoments(family.family, path, settings.Dimensions);
  if (!moments.ok()) {
    throw std::runtime_error(path + ": " + moments.status().message());
  }
  replaySteps(moments.value(), context.system.steps);
  PhaseResult result = makePhaseResult(family.family, std::move(bands),
                                       moments.value(),
                                       context.system.columnOrder);
  if (!jobs.enumerate) result.seed = jobs.sampling.seed;
  return result;
}

}  // namespace linprob
