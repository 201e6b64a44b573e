#include "config/phase_settings.h"

#include <algorithm>

#include "distributions/job_source_kinds.h"
#include "solve/band_counter.h"

namespace linprob {

JobSourceKind sourceKindFor(const RunSettings& settings) {
  return settings.ExactDistributions ? JobSourceKind::kEnumeration
                                     : JobSourceKind::kSampling;
}

int phaseCountFor(const RunSettings& settings) {
  return settings.ExactDistributions ? settings.IntegrationPrecision
                                     : settings.SampleCount;
}

std::optional<PointDesign> pointDesignFor(const RunSettings& settings) {
  if (settings.ExactDistributions || settings.points == PointSet::kRandom) {
    return std::nullopt;
  }
  return pointDesign(settings.points, settings.SampleCount);
}

std::uint64_t jobsPerPhaseFor(const RunSettings& settings) {
  if (const std::optional<PointDesign> design = pointDesignFor(settings)) {
    return design->jobCount();
  }
  return jobSourceRow(sourceKindFor(settings))
      .jobsPerPhase(settings.Dimensions, phaseCountFor(settings));
}

std::size_t chunksPerPhaseFor(const RunSettings& settings) {
  if (const std::optional<PointDesign> design = pointDesignFor(settings)) {
    return std::max<std::size_t>(design->chunkPlan().chunks, 1);
  }
  const JobSourceRow& row = jobSourceRow(sourceKindFor(settings));
  const int count = phaseCountFor(settings);
  const ChunkPlan plan =
      ChunkPlan::of(row.unitsPerPhase(settings.Dimensions, count),
                    row.jobsPerPhase(settings.Dimensions, count));
  return std::max<std::size_t>(plan.chunks, 1);
}

CountingPlan countingPlanFor(const RunSettings& settings) {
  if (sourceKindFor(settings) != JobSourceKind::kEnumeration ||
      jobsPerPhaseFor(settings) == 0) {
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
