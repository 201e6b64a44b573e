#include "results/phase_measures.h"

#include <cmath>
#include <optional>
#include <vector>

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

// The added measures' values of a solved position, row by row.
void measureAdded(PositionResult& position, const FamilyReference* family,
                  std::span<const AddedMeasure> added) {
  std::vector<std::optional<double>>& values = position.measures.added;
  values.assign(addedColumnCount(added), std::nullopt);
  std::size_t first = 0;
  for (const AddedMeasure& row : added) {
    row.compute(position, family,
                std::span(values).subspan(first, row.columns.size()));
    first += row.columns.size();
  }
  // A value that is not finite is no value: it stays unset.
  for (std::optional<double>& value : values) {
    if (value && !std::isfinite(*value)) value.reset();
  }
}

// The built-in measures of a solved position.
void measureBuiltIn(PositionResult& position, const FamilyReference* family,
                    const std::stop_token& stop) {
  PositionMeasures& measures = position.measures;
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

void measurePosition(PositionResult& position, const FamilyReference* family,
                     const std::stop_token& stop,
                     std::span<const AddedMeasure> added) {
  position.measures = PositionMeasures{};
  if (!position.solved()) return;
  // The added measures may read the built-in ones.
  measureBuiltIn(position, family, stop);
  if (!added.empty()) measureAdded(position, family, added);
}

}  // namespace

void measurePhase(PhaseResult& phase, const SystemReference& reference,
                  const std::stop_token& stop, unsigned threads,
                  std::span<const AddedMeasure> added) {
  const FamilyReference* family = reference.family(phase.family);
  forEachPosition(phase.positions.size(), threads, [&](std::size_t e) {
    if (stop.stop_requested()) return;
    measurePosition(phase.positions[e], family, stop, added);
  });
}

}  // namespace linprob
