#include "results/sample_errors.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "results/batch_spread.h"
#include "results/coverage_factor.h"
#include "results/histogram_levels.h"
#include "results/shortest_errors.h"

namespace linprob {
namespace {

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

// The error of the sd from the batches' sums: the sd of every batch but
// one, against the phase's, by the delete-a-group jackknife; its degrees of
// freedom, 0 with fewer than two batches.
double jackknifedSd(const WeightedMoments& phase, const BatchSums& batches,
                    std::size_t position,
                    const std::vector<BatchEstimate>& estimates,
                    double& degrees) {
  std::vector<double> shares;
  std::vector<double> leftOut;
  for (const BatchEstimate& estimate : estimates) {
    if (!estimate.moments) return kNotANumber;
    const WeightedMoments& own = batches.moments(estimate.batch)[position];
    const WeightedMoments rest = WeightedMoments::withSums(
        phase.reference(), phase.sumWeight() - own.sumWeight(),
        phase.sumFirst() - own.sumFirst(), phase.sumSecond() - own.sumSecond());
    shares.push_back(own.sumWeight() / phase.sumWeight());
    leftOut.push_back(rest.sd());
  }
  degrees = shares.size() < 2 ? 0.0 : static_cast<double>(shares.size() - 1);
  return jackknifeError(shares, phase.sd(), leftOut);
}

}  // namespace

std::optional<PositionErrors> independentSampleErrors(
    const PositionBands& bands, const BatchSums* batches,
    std::size_t position, const std::vector<BatchEstimate>* estimates) {
  const std::uint64_t jobs = bands.count;
  if (jobs < 2) return std::nullopt;
  const auto n = static_cast<double>(jobs);
  PositionErrors errors;
  errors.design = ErrorDesign::kIndependentSamples;
  errors.degreesOfFreedom = n - 1.0;
  const double k = coverageFactor(errors.degreesOfFreedom);
  errors.coverageFactor = k;

  double total = 0.0;
  for (const double mass : bands.masses) total += mass;
  for (const double mass : bands.masses) {
    // The band's samples: every sample weighs total / N.
    const double samples = std::round(n * (mass / total));
    const double adjusted = (samples + 2.0) / (n + 4.0);
    const double variance = adjusted * (1.0 - adjusted) / n;
    errors.masses.push_back(total * std::sqrt(variance));
  }

  errors.mean = kNotANumber;
  errors.sd = kNotANumber;
  if (bands.moments) {
    const double sd = bands.moments->sd();
    errors.mean = sd / std::sqrt(n - 1.0);
    if (bands.fine) {
      const FineHistogram& fine = *bands.fine;
      const HistogramView view{&fine.grid(), fine.counts(), fine.total()};
      const double m4 = fourthCentralMoment(view, bands.moments->mean());
      const double s2 = sd * sd;
      const double excess = std::max(m4 - s2 * s2, 0.0);
      // The fourth moment's own small-sample correction (n - 3), and the
      // bias of the sd of n values, about 3 sd / (4 n), in quadrature.
      const double spread = s2 > 0.0 ? excess / (4.0 * s2 * (n - 3.0)) : 0.0;
      const double bias = 3.0 * sd / (4.0 * n);
      errors.sd = n > 3.0 ? std::sqrt(spread + bias * bias) : kNotANumber;
    } else if (batches != nullptr && estimates != nullptr) {
      double degrees = 0.0;
      const double u =
          jackknifedSd(*bands.moments, *batches, position, *estimates, degrees);
      errors.sd = u * coverageFactor(degrees) / k;
    }
  }

  if (!bands.fine) return errors;
  const FineHistogram& fine = *bands.fine;
  const HistogramView view{&fine.grid(), fine.counts(), fine.total()};
  CoverageErrors coverage;
  const double sampleFraction = 1.0 / n;
  const double tail = 0.025;
  const double binomial = std::sqrt(tail * (1.0 - tail) / n);
  coverage.symmetricLower = woodruffError(view, tail, binomial, k, sampleFraction);
  coverage.symmetricUpper =
      woodruffError(view, 1.0 - tail, binomial, k, sampleFraction);
  ShortestErrors shortest{kNotANumber, kNotANumber, 0.0};
  if (estimates != nullptr) {
    shortest = shortestErrors(*estimates, total, jobs, fine, k,
                              shortestRate(PointKind::kRandom));
  }
  setCoverage(errors, coverage, shortest.lower, shortest.upper);
  return errors;
}

}  // namespace linprob
