#include "results/phase_measures.h"

#include <cmath>

#include "results/position_threads.h"

namespace linprob {
namespace {

MeanSd meanSd(double mean, double variance) {
  return MeanSd{mean, std::sqrt(variance)};
}

// An approximation over `bands`, judged against VALID and the coverage
// interval.
ApproximationCheck check(const MeanSd& normal, const NormalTable& table,
                         const PositionBands& bands,
                         const std::optional<CoverageInterval>& coverage) {
  ApproximationCheck result;
  result.normal = normal;
  if (table.masses.size() == bands.masses.size()) {
    result.discrepancy = discrepancy(bands.masses, table.lowerTail,
                                     table.masses, table.upperTail);
  }
  if (coverage) {
    result.validation = validateAgainstCoverage(
        normal.mean, normal.sd, coverage->symmetricLower,
        coverage->symmetricUpper, coverage->resolution);
  }
  return result;
}

void measurePosition(PositionResult& position, const FamilyReference* family,
                     const std::stop_token& stop) {
  PositionMeasures& measures = position.measures;
  measures = PositionMeasures{};
  if (!position.solved()) return;
  PositionBands& bands = position.valid;
  if (bands.moments && bands.moments->sumWeight() != 0.0) {
    measures.moments = MeanSd{bands.moments->mean(), bands.moments->sd()};
  }
  if (bands.fine) {
    measures.coverage = coverageInterval(*bands.fine);
    bands.fine.reset();
  } else if (bands.coverage) {
    measures.coverage =
        coverageIntervalAt(bands.min, bands.max, *bands.coverage);
  }
  if (position.hasInvalid()) {
    measures.invalid =
        check(meanSd(position.moments.mean, position.moments.variance),
              position.invalid, bands, measures.coverage);
  }
  if (family == nullptr) return;
  if (const auto& linear = family->exactLinear[position.unknown]) {
    const NormalParameters parameters{linear->mean, linear->variance};
    if (approxState(parameters) == ApproxState::kAvailable) {
      measures.exactLinearTable = normalTable(bands, parameters, stop);
      measures.exactLinear =
          check(meanSd(linear->mean, linear->variance),
                measures.exactLinearTable, bands, measures.coverage);
    }
  }
  if (family->expected) {
    if (const auto& expected = (*family->expected)[position.unknown]) {
      measures.expectedMoments = meanSd(expected->mean, expected->variance);
    }
  }
}

}  // namespace

void measurePhase(PhaseResult& phase, const SystemReference& reference,
                  const std::stop_token& stop, unsigned threads) {
  const FamilyReference* family = reference.family(phase.family);
  forEachPosition(phase.positions.size(), threads, [&](std::size_t e) {
    if (stop.stop_requested()) return;
    measurePosition(phase.positions[e], family, stop);
  });
}

}  // namespace linprob
