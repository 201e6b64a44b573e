#include "driver/distribution_phase.h"

#include <cstddef>
#include <limits>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

#include "base/console.h"
#include "distributions/point_kinds.h"
#include "distributions/phase_seed.h"
#include "check/band_check.h"
#include "linear/step_replay.h"
#include "distributions/sampling_source.h"
#include "driver/random_matrix_phase.h"
#include "results/digits_rule.h"
#include "results/standard_errors.h"
#include "results/convergence.h"
#include "solve/phase_solver.h"

namespace linprob {
namespace {
constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();
}  // namespace

namespace {

// Standard errors are themselves uncertain (from 16 replicates by about a
// fifth): a round chosen by them aims this much higher, so that it rarely
// falls short and costs a round more.
constexpr double kGrowthMargin = 1.5;

// A phase's counts, the jobs of each of its batches, how a --digits phase
// ended, and in sampling the standard errors (with batches, their
// estimates too).
struct CountedPhase {
  PhaseCounts counts;
  std::vector<std::uint64_t> batchJobs;
  std::optional<DigitsStop> digits;
  std::optional<PhaseEstimates> estimates;
  std::vector<std::optional<PositionErrors>> errors;
  std::optional<RandomMatrixOutcome> randomMatrix;

  PhaseErrorInputs errorInputs(PointKind points) const {
    return PhaseErrorInputs{points, &counts.bands,
                            counts.batches ? &*counts.batches : nullptr,
                            estimates ? &*estimates : nullptr};
  }
};

// The counts of the source's jobs, with the jobs of each of its batches
// and, in sampling, the standard errors (from the batches' estimates where
// it has batches).
void countSource(const JobSource& source, const LinearSystem& system,
                 const SolveOptions& options, PointKind points,
                 CountedPhase& counted) {
  counted.randomMatrix.reset();
  counted.batchJobs.clear();
  for (std::size_t b = 0; b < source.batchCount(); ++b) {
    counted.batchJobs.push_back(source.batchJobs(b));
  }
  counted.counts = countPhase(source, system, options);
  counted.estimates.reset();
  counted.errors.clear();
  if (!drawsSamples(points)) return;
  const auto threads = static_cast<unsigned>(options.solverThreads);
  const PhaseCounts& counts = counted.counts;
  if (counts.batches) {
    counted.estimates = phaseEstimates(*counts.batches, counts.bands, threads);
  }
  counted.errors = standardErrors(counted.errorInputs(points), threads);
}

// countSource of `points`, or of the samples they draw solved one by one
// where the matrix is random.
void countPoints(std::unique_ptr<JobSource> points,
                 const RandomMatrixPhase* random, const LinearSystem& system,
                 const SolveOptions& options, PointKind kind,
                 CountedPhase& counted) {
  if (random == nullptr) {
    countSource(*points, system, options, kind, counted);
    return;
  }
  const std::unique_ptr<RandomMatrixSource> source =
      random->solving(std::move(points));
  countSource(*source, random->solved(), options, kind, counted);
  counted.randomMatrix = random->outcome(*source, options.group);
}

// What the --digits rule looks at, by position (solved ones only), from
// the counts and their standard errors.
std::vector<UnknownPrecision> precisionOf(const CountedPhase& counted) {
  std::vector<UnknownPrecision> unknowns;
  const PhaseCounts& counts = counted.counts;
  const std::vector<std::optional<PositionErrors>>& errors = counted.errors;
  if (errors.size() != counts.bands.size()) return unknowns;
  for (std::size_t e = 0; e < counts.bands.size(); ++e) {
    const PositionBands& bands = counts.bands[e];
    if (bands.count == 0) continue;
    UnknownPrecision unknown;
    unknown.sd = bands.moments ? bands.moments->sd() : kNotANumber;
    unknown.coverageFactor = errors[e] ? errors[e]->coverageFactor : kNotANumber;
    unknown.meanError = errors[e] ? errors[e]->mean : kNotANumber;
    unknown.sdError = errors[e] ? errors[e]->sd : kNotANumber;
    const bool ends = errors[e] && errors[e]->coverage;
    unknown.symmetricLowerError =
        ends ? errors[e]->coverage->symmetricLower : kNotANumber;
    unknown.symmetricUpperError =
        ends ? errors[e]->coverage->symmetricUpper : kNotANumber;
    unknowns.push_back(unknown);
  }
  return unknowns;
}

// The phase's counts: one phase of the settings' source, or with --digits
// in sampling rounds of digitsRounds, each a complete phase from the same
// seed, until the first whose results meet the rule (the last round
// otherwise). After a round that misses it, the next round tried is the
// first with the samples the errors ask for (neededGrowth, with a margin),
// at least the one after. Which round ends it depends on the results alone,
// so on no thread or process count.
CountedPhase countWith(const RunSettings& settings,
                       const SourceRequest& request,
                       const LinearSystem& system,
                       const SolveOptions& options,
                       const RandomMatrixPhase* random) {
  CountedPhase counted;
  if (!drawsSamples(request.kind) || !settings.digits) {
    countPoints(makeJobSource(request), random, system, options, request.kind,
                counted);
    return counted;
  }
  const std::vector<PointDesign> rounds =
      digitsRounds(request.kind, settings.SampleCount);
  DigitsStop stop{*settings.digits,
                  static_cast<std::uint64_t>(settings.SampleCount),
                  DigitsEnd::kCeilingReached,
                  {}};
  std::size_t round = 0;
  for (;;) {
    countPoints(makeDesignSource(request, rounds[round]), random, system,
                options, request.kind, counted);
    stop.roundSamples.push_back(rounds[round].jobCount());
    const std::vector<UnknownPrecision> unknowns = precisionOf(counted);
    if (precisionReached(unknowns, *settings.digits)) {
      stop.end = DigitsEnd::kRuleMet;
      break;
    }
    if (round + 1 == rounds.size()) break;
    const double wanted = static_cast<double>(rounds[round].replicateJobs) *
                          neededGrowth(unknowns, *settings.digits) *
                          kGrowthMargin;
    ++round;
    while (round + 1 < rounds.size() &&
           static_cast<double>(rounds[round].replicateJobs) < wanted) {
      ++round;
    }
  }
  counted.digits = stop;
  return counted;
}

}  // namespace

PhaseResult runDistributionPhase(const FamilyInfo& family,
                                 const PhaseContext& context) {
  const RunConfig& config = context.config;
  const RunSettings& settings = config.settings();
  {
    std::ostringstream line;
    line << family.startLine << "Matrix: " << context.matrixIndex
         << family.modeWord << context.mode.rowPivot << ","
         << context.mode.colPivot;
    printLine(line.str());
  }

  // Every draw, in both passes over the samples, comes from this seed.
  SourceRequest request = requestFor(
      config, family,
      entryParameters(family,
                      context.reference.parametersOf(family.parameterKind),
                      settings.Dimensions),
      context.runSeed ? phaseSeed(*context.runSeed, context.matrixIndex,
                                  context.mode, family.family)
                      : drawSeed());
  request.correlation = context.reference.correlationFactor;
  // A random matrix: drawn with the right-hand side, each sample solved on
  // its own, the unknowns in the order of the mean matrix's elimination.
  const unsigned n = settings.Dimensions;
  std::vector<NormalParameters> moments = familyMoments(family, request.entries);
  std::optional<RandomMatrixPhase> random;
  if (const std::vector<double>& matrix =
          context.reference.randomMatrixOf(family.parameterKind);
      !matrix.empty()) {
    random.emplace(family, matrix, n, context.mode, moments);
  }
  if (random) {
    random->extend(request);
    if (!drawsSamples(request.kind)) {
      // The system's banner counted the right-hand side's cells alone.
      printLine("With its random matrix, each entry of the matrix and the "
                "right-hand side is represented by " +
                std::to_string(request.count) + " cells: " +
                std::to_string(phaseJobsOf(request.kind, request.n,
                                           request.count).jobs) +
                " jobs.");
    }
  }
  const std::vector<unsigned>& columnOrder =
      random ? random->columnOrder() : context.system.columnOrder();
  if (!drawsSamples(request.kind) &&
      family.cellCount == CellCount::kOnePerValue) {
    // The system's banner gave the settings' cells; this family has its own
    // (correlated, as many cells of the copula's normals).
    printLine("Each entry is represented by " +
              std::string(request.correlation ? "as many normal cells as its "
                                              : "its ") +
              std::to_string(request.count) + " measured values: " +
              std::to_string(phaseJobsOf(request.kind, request.n,
                                         request.count).jobs) +
              " jobs.");
  }
  SolveOptions options = config.solveOptions();
  options.stop = context.stop;
  options.references = random ? random->meanSolution() : context.plainSolution;
  options.group = context.group;
  options.memoryBudget = config.memoryBudget();
  CountedPhase counted;
  try {
    if (context.display != nullptr) {
      options.progress = &context.display->beginPhase(
          context.matrixIndex, context.mode, family.family);
      // The line is erased when the phase ends, solved or not.
      struct EndPhase {
        ProgressDisplay& display;
        ~EndPhase() { display.endPhase(); }
      } endPhase{*context.display};
      counted = countWith(settings, request, context.system, options,
                          random ? &*random : nullptr);
    } else {
      counted = countWith(settings, request, context.system, options,
                          random ? &*random : nullptr);
    }
  } catch (const BandsCollapse& collapse) {
    throw std::runtime_error(collapseMessage(
        family, columnOrder[collapse.position], collapse,
        settings.HistogramPrecision));
  }

  // The bands are counted without sorting; the lines stay for the user.
  printLine(family.sortingLine);
  for (unsigned v = 0; v < settings.Dimensions; ++v) {
    printLine("Variable " + std::to_string(v));
  }

  if (random) {
    moments = random->firstOrder().normal;
  } else {
    replaySteps(moments, context.system.steps());
  }
  PhaseCounts& counts = counted.counts;
  std::vector<std::optional<PositionErrors>> errors = std::move(counted.errors);
  std::vector<std::optional<Convergence>> convergence(errors.size());
  if (counts.batches && counted.estimates) {
    convergence = convergenceSeries(
        counted.errorInputs(request.kind), errors,
        counted.batchJobs, static_cast<unsigned>(settings.SolverThreadCount));
  }
  PhaseResult result = makePhaseResult(family.family, std::move(counts.bands),
                                       moments, columnOrder, context.stop);
  if (context.stop.stop_requested()) throw PhaseStopped{};
  if (drawsSamples(request.kind)) result.seed = request.seed;
  result.digits = counted.digits;
  result.randomMatrix = counted.randomMatrix;
  for (std::size_t e = 0; e < errors.size(); ++e) {
    result.positions[e].errors = std::move(errors[e]);
    result.positions[e].convergence = std::move(convergence[e]);
  }
  return result;
}

}  // namespace linprob
