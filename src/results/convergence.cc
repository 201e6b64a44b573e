#include "results/convergence.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "results/batch_errors.h"
#include "results/coverage_interval.h"
#include "results/position_threads.h"

namespace linprob {
namespace {

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

// The weights and estimates of one quantity over the batches so far that
// hold mass; its error is NaN once a batch lacks the estimate.
struct RunningSpread {
  std::vector<double> weights;
  std::vector<double> estimates;
  bool complete = true;

  void add(double weight, const std::optional<double>& estimate) {
    if (!estimate) {
      complete = false;
      return;
    }
    weights.push_back(weight);
    estimates.push_back(*estimate);
  }
  double error() const {
    return complete ? batchStandardError(weights, estimates) : kNotANumber;
  }
};

Convergence positionSeries(const BatchSums& batches, std::size_t position,
                           const PositionBands& bands,
                           const std::vector<BatchEstimate>& estimates,
                           std::span<const std::uint64_t> batchJobs) {
  const std::size_t h = batches.batches();
  WeightedMoments pooled(batches.moments(0)[position].reference());
  // The counts of the batches so far, summed, over the batches' grid.
  std::optional<SubBandGrid> grid;
  thread_local std::vector<std::uint64_t> pooledCounts;
  std::uint64_t pooledTotal = 0;  // their sum
  RunningSpread mean;
  RunningSpread lower;
  RunningSpread upper;
  std::size_t next = 0;  // the first estimate not yet taken
  std::uint64_t samples = 0;
  Convergence points;
  points.reserve(h);
  for (std::size_t r = 0; r < h; ++r) {
    samples += batchJobs[r];
    pooled.merge(batches.moments(r)[position]);
    const std::span<const std::uint64_t> counts = batches.counts(r, position);
    if (!counts.empty() && !grid) {
      grid.emplace(bands.min, bands.max, batches.subBands());
      pooledCounts.assign(counts.size(), 0);
    }
    if (!counts.empty()) {
      std::uint64_t* const pooledData = pooledCounts.data();
      for (std::size_t k = 0; k < counts.size(); ++k) {
        pooledData[k] += counts[k];
        pooledTotal += counts[k];
      }
    }
    if (next < estimates.size() && estimates[next].batch == r) {
      const BatchEstimate& estimate = estimates[next++];
      mean.add(estimate.moments->sumWeight(), estimate.moments->mean());
      const std::optional<CoverageInterval>& own = estimate.coverage;
      lower.add(estimate.weight, own ? std::optional(own->symmetricLower)
                                     : std::nullopt);
      upper.add(estimate.weight, own ? std::optional(own->symmetricUpper)
                                     : std::nullopt);
    }
    const bool last = r + 1 == h;
    // The last point is the phase's own estimate: its moments and its fine
    // histogram.
    const double average =
        last && bands.moments ? bands.moments->mean() : pooled.mean();
    std::optional<SymmetricEnds> interval;
    if (last && bands.fine) {
      interval = symmetricEnds(*bands.fine);
    } else if (grid) {
      interval = symmetricEnds(*grid, pooledCounts, pooledTotal);
    }
    ConvergencePoint point;
    point.samples = samples;
    point.mean = {average, mean.error()};
    point.symmetricLower = {interval ? interval->lower : kNotANumber,
                            lower.error()};
    point.symmetricUpper = {interval ? interval->upper : kNotANumber,
                            upper.error()};
    points.push_back(point);
  }
  return points;
}

}  // namespace

std::vector<std::optional<Convergence>> convergenceSeries(
    const BatchSums& batches, const PhaseBands& bands,
    const PhaseEstimates& estimates,
    std::span<const std::uint64_t> batchJobs, unsigned threads) {
  if (batchJobs.size() != batches.batches()) {
    throw std::invalid_argument(
        "convergence: " + std::to_string(batchJobs.size()) +
        " batch job counts for " + std::to_string(batches.batches()) +
        " batches");
  }
  std::vector<std::optional<Convergence>> series(bands.size());
  forEachPosition(bands.size(), threads, [&](std::size_t e) {
    if (bands[e].count == 0 || estimates[e].size() < 2) return;
    // Counted without references: no moments, no histograms.
    if (!estimates[e].front().moments) return;
    series[e] = positionSeries(batches, e, bands[e], estimates[e], batchJobs);
  });
  return series;
}

}  // namespace linprob
