#include "driver/phase_settings.h"

#include "distributions/job_source_kinds.h"

namespace linprob {

JobSourceKind sourceKindFor(const RunSettings& settings) {
  return settings.ExactDistributions ? JobSourceKind::kEnumeration
                                     : JobSourceKind::kSampling;
}

int phaseCountFor(const RunSettings& settings) {
  return settings.ExactDistributions ? settings.IntegrationPrecision
                                     : settings.SampleCount;
}

std::uint64_t jobsPerPhaseFor(const RunSettings& settings) {
  return jobSourceRow(sourceKindFor(settings))
      .jobsPerPhase(settings.Dimensions, phaseCountFor(settings));
}

SolveOptions solveOptionsFor(const RunSettings& settings) {
  SolveOptions options;
  options.solverThreads = settings.SolverThreadCount;
  options.generatorThreads = settings.GeneratorThreadCount;
  options.histogramPrecision = settings.HistogramPrecision;
  return options;
}

}  // namespace linprob
