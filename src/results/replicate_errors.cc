#include "results/replicate_errors.h"

#include <cmath>
#include <limits>

#include "results/batch_spread.h"
#include "results/coverage_factor.h"
#include "results/coverage_interval.h"
#include "results/histogram_levels.h"
#include "results/shortest_errors.h"

namespace linprob {
namespace {

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

// The estimates and weights of one quantity over the replicates.
struct Spread {
  std::vector<double> weights;
  std::vector<double> estimates;

  void add(double weight, double estimate) {
    weights.push_back(weight);
    estimates.push_back(estimate);
  }
  double error() const { return batchStandardError(weights, estimates); }
};

}  // namespace

double replicateFractionError(const BatchSums& batches, std::size_t position,
                           const SubBandGrid& grid,
                           const std::vector<BatchEstimate>& estimates,
                           std::size_t batchesTaken, double value) {
  Spread fractions;
  for (std::size_t i = 0; i < estimates.size() && i < batchesTaken; ++i) {
    const std::span<const std::uint64_t> counts =
        batches.counts(estimates[i].batch, position);
    if (counts.empty()) return kNotANumber;
    const HistogramView view{&grid, counts, countsTotal(counts)};
    fractions.add(estimates[i].weight, fractionBelow(view, value));
  }
  return fractions.error();
}

std::optional<PositionErrors> replicateErrors(
    const PositionBands& bands, const BatchSums& batches, std::size_t position,
    const std::vector<BatchEstimate>& estimates, PointKind points) {
  const std::size_t h = estimates.size();
  if (h < 2) return std::nullopt;
  PositionErrors errors;
  errors.design = ErrorDesign::kIndependentReplicates;
  errors.degreesOfFreedom = static_cast<double>(h - 1);
  const double k = coverageFactor(errors.degreesOfFreedom);
  errors.coverageFactor = k;

  const std::size_t bandCount = bands.masses.size();
  std::vector<Spread> masses(bandCount);
  Spread mean;
  double total = 0.0;
  for (const BatchEstimate& estimate : estimates) {
    const double weight = estimate.weight;
    const double* batchMasses = batches.masses(estimate.batch, position);
    total += weight;
    for (std::size_t b = 0; b < bandCount; ++b) {
      masses[b].add(weight, batchMasses[b] / weight);
    }
    if (estimate.moments) {
      mean.add(estimate.moments->sumWeight(), estimate.moments->mean());
    }
  }
  // Masses are counted in samples: one sample's fraction of the mass is known
  // no better, however alike the replicates are (a band no replicate
  // reaches has a spread of 0, not an error of 0).
  const double sampleFraction = 1.0 / static_cast<double>(bands.count);
  for (const Spread& band : masses) {
    // The phase's mass is the sum of the replicates' masses: W times the
    // weighted mean of their estimates.
    const double spread = band.error();
    errors.masses.push_back(
        total * std::sqrt(spread * spread + sampleFraction * sampleFraction));
  }
  errors.mean = mean.error();
  errors.sd = kNotANumber;
  if (bands.moments && mean.estimates.size() == h) {
    const WeightedMoments& phase = *bands.moments;
    std::vector<double> fractions;
    std::vector<double> leftOut;
    for (const BatchEstimate& estimate : estimates) {
      const WeightedMoments& own = *estimate.moments;
      const WeightedMoments rest = WeightedMoments::withSums(
          phase.reference(), phase.sumWeight() - own.sumWeight(),
          phase.sumFirst() - own.sumFirst(),
          phase.sumSecond() - own.sumSecond());
      fractions.push_back(own.sumWeight() / phase.sumWeight());
      leftOut.push_back(rest.sd());
    }
    errors.sd = jackknifeError(fractions, phase.sd(), leftOut);
  }

  if (!bands.fine) return errors;
  const FineHistogram& fine = *bands.fine;
  const HistogramView view{&fine.grid(), fine.counts(), fine.total()};
  const std::optional<SymmetricEnds> ends = symmetricEnds(fine);
  if (!ends) return errors;
  const SubBandGrid grid(bands.min, bands.max, batches.subBands());
  const double tail = 0.025;
  // The fraction below an end, as a mass, is known to a sample at best.
  auto fractionError = [&](double end) {
    const double spread =
        replicateFractionError(batches, position, grid, estimates, h, end);
    return std::sqrt(spread * spread + sampleFraction * sampleFraction);
  };
  CoverageErrors coverage;
  coverage.symmetricLower =
      woodruffError(view, tail, fractionError(ends->lower), k, sampleFraction);
  coverage.symmetricUpper =
      woodruffError(view, 1.0 - tail, fractionError(ends->upper), k, sampleFraction);
  const ShortestErrors shortest =
      shortestErrors(estimates, total, bands.count, fine, k,
                     shortestRate(points));
  setCoverage(errors, coverage, shortest.lower, shortest.upper);
  return errors;
}

}  // namespace linprob
