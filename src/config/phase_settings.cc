#include "config/phase_settings.h"

#include <algorithm>
#include <utility>

#include "solve/band_counter.h"

namespace linprob {

PointKind pointKindFor(const RunSettings& settings) {
  return settings.ExactDistributions ? PointKind::kEnumeration
                                     : settings.points;
}

int phaseCountFor(const RunSettings& settings) {
  return drawsSamples(pointKindFor(settings)) ? settings.SampleCount
                                              : settings.IntegrationPrecision;
}

std::optional<PointDesign> pointDesignFor(const RunSettings& settings) {
  const PointKind kind = pointKindFor(settings);
  const Replicates replicates = pointKindRow(kind).replicates;
  if (replicates == Replicates::kNone || replicates == Replicates::kOne) {
    return std::nullopt;
  }
  return pointDesign(kind, settings.SampleCount);
}

PhaseJobs phaseJobsFor(const RunSettings& settings) {
  return phaseJobsOf(pointKindFor(settings), settings.Dimensions,
                     phaseCountFor(settings));
}

CountingPlan countingPlanFor(const RunSettings& settings) {
  if (drawsSamples(pointKindFor(settings)) || phaseJobsFor(settings).jobs == 0) {
    return CountingPlan{};
  }
  const SolveOptions options = solveOptionsFor(settings);
  PhaseShape shape;
  shape.n = settings.Dimensions;
  shape.cells = static_cast<std::size_t>(settings.IntegrationPrecision);
  shape.bands = static_cast<std::size_t>(
      std::max(options.histogramPrecision, 1) + 1);
  shape.coveragePositions = shape.n <= kMaxSubBandPositions ? shape.n : 0;
  shape.threads = std::max(options.solverThreads, 1);
  shape.memoryBudget = options.halvesMemory;
  return planCounting(shape, options.counting);
}

SolveOptions solveOptionsFor(const RunSettings& settings) {
  SolveOptions options;
  options.solverThreads = settings.SolverThreadCount;
  options.generatorThreads = settings.GeneratorThreadCount;
  options.histogramPrecision = settings.HistogramPrecision;
  options.counting = settings.counting;
  options.halvesMemory = settings.halvesMemory;
  return options;
}

}  // namespace linprob
