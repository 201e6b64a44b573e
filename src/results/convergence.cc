#include "results/convergence.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "results/batch_spread.h"
#include "results/coverage_factor.h"
#include "results/coverage_interval.h"
#include "results/histogram_levels.h"
#include "results/position_threads.h"
#include "results/replicate_errors.h"

namespace linprob {
namespace {

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double kTail = 0.025;

// What one position's batches so far give together.
class PooledBatches {
 public:
  PooledBatches(const BatchSums& batches, std::size_t position,
                const PositionBands& bands)
      : batches_(batches),
        position_(position),
        moments_(batches.moments(0)[position].reference()) {
    if (!batches.counts(0, position).empty()) {
      grid_.emplace(bands.min, bands.max, batches.subBands());
      counts_.assign(batches.subBands(), 0);
    }
  }

  void add(std::size_t batch) {
    moments_.merge(batches_.moments(batch)[position_]);
    const std::span<const std::uint64_t> counts =
        batches_.counts(batch, position_);
    for (std::size_t k = 0; k < counts.size() && k < counts_.size(); ++k) {
      counts_[k] += counts[k];
      total_ += counts[k];
    }
  }

  const WeightedMoments& moments() const { return moments_; }
  const SubBandGrid* grid() const { return grid_ ? &*grid_ : nullptr; }
  HistogramView view() const {
    return HistogramView{grid(), counts_, total_};
  }
  std::optional<SymmetricEnds> ends() const {
    if (!grid_) return std::nullopt;
    return symmetricEnds(*grid_, counts_, total_);
  }

 private:
  const BatchSums& batches_;
  std::size_t position_;
  WeightedMoments moments_;
  std::optional<SubBandGrid> grid_;
  std::vector<std::uint64_t> counts_;
  std::uint64_t total_ = 0;
};

// The errors of a point of independent samples: `samples` of them so far.
void sampleErrors(const PooledBatches& pooled, std::uint64_t samples,
                  const std::optional<SymmetricEnds>& ends,
                  ConvergencePoint& point) {
  const auto n = static_cast<double>(samples);
  if (samples < 2) return;
  const double k = coverageFactor(n - 1.0);
  point.coverageFactor = k;
  point.mean.error = pooled.moments().sd() / std::sqrt(n - 1.0);
  if (!ends) return;
  const double binomial = std::sqrt(kTail * (1.0 - kTail) / n);
  const HistogramView view = pooled.view();
  point.symmetricLower.error =
      woodruffError(view, kTail, binomial, k, 1.0 / n);
  point.symmetricUpper.error =
      woodruffError(view, 1.0 - kTail, binomial, k, 1.0 / n);
}

// The errors of a point of replicates: the first `taken` estimates.
void replicateErrorsSoFar(const BatchSums& batches, std::size_t position,
                          const PooledBatches& pooled,
                          const std::vector<BatchEstimate>& estimates,
                          std::size_t taken, std::uint64_t samples,
                          const std::optional<SymmetricEnds>& ends,
                          ConvergencePoint& point) {
  if (taken < 2) return;
  const double k = coverageFactor(static_cast<double>(taken - 1));
  point.coverageFactor = k;
  std::vector<double> weights;
  std::vector<double> means;
  for (std::size_t i = 0; i < taken; ++i) {
    weights.push_back(estimates[i].moments->sumWeight());
    means.push_back(estimates[i].moments->mean());
  }
  point.mean.error = batchStandardError(weights, means);
  if (!ends || pooled.grid() == nullptr) return;
  const HistogramView view = pooled.view();
  const double sampleFraction = 1.0 / static_cast<double>(samples);
  point.symmetricLower.error = woodruffError(
      view, kTail,
      replicateFractionError(batches, position, *pooled.grid(), estimates, taken,
                          ends->lower),
      k, sampleFraction);
  point.symmetricUpper.error = woodruffError(
      view, 1.0 - kTail,
      replicateFractionError(batches, position, *pooled.grid(), estimates, taken,
                          ends->upper),
      k, sampleFraction);
}

Convergence positionSeries(PointKind kind, const BatchSums& batches,
                           std::size_t position, const PositionBands& bands,
                           const std::vector<BatchEstimate>& estimates,
                           const std::optional<PositionErrors>& errors,
                           std::span<const std::uint64_t> batchJobs) {
  const std::size_t h = batches.batches();
  PooledBatches pooled(batches, position, bands);
  std::size_t taken = 0;  // the estimates of the batches so far
  std::uint64_t samples = 0;
  Convergence points;
  points.reserve(h);
  for (std::size_t r = 0; r < h; ++r) {
    samples += batchJobs[r];
    pooled.add(r);
    while (taken < estimates.size() && estimates[taken].batch <= r) ++taken;
    ConvergencePoint point;
    point.samples = samples;
    point.coverageFactor = kNotANumber;
    point.mean.error = kNotANumber;
    point.symmetricLower.error = kNotANumber;
    point.symmetricUpper.error = kNotANumber;
    if (r + 1 == h) {
      // The phase's own estimates and errors.
      const std::optional<SymmetricEnds> ends =
          bands.fine ? symmetricEnds(*bands.fine) : std::nullopt;
      point.mean.value = bands.moments ? bands.moments->mean() : kNotANumber;
      point.symmetricLower.value = ends ? ends->lower : kNotANumber;
      point.symmetricUpper.value = ends ? ends->upper : kNotANumber;
      if (errors) {
        point.coverageFactor = errors->coverageFactor;
        point.mean.error = errors->mean;
        if (errors->coverage) {
          point.symmetricLower.error = errors->coverage->symmetricLower;
          point.symmetricUpper.error = errors->coverage->symmetricUpper;
        }
      }
      points.push_back(point);
      break;
    }
    const std::optional<SymmetricEnds> ends = pooled.ends();
    point.mean.value = pooled.moments().mean();
    point.symmetricLower.value = ends ? ends->lower : kNotANumber;
    point.symmetricUpper.value = ends ? ends->upper : kNotANumber;
    if (errorDesignOf(kind) == ErrorDesign::kIndependentSamples) {
      sampleErrors(pooled, samples, ends, point);
    } else {
      replicateErrorsSoFar(batches, position, pooled, estimates, taken,
                           samples, ends, point);
    }
    points.push_back(point);
  }
  return points;
}

}  // namespace

std::vector<std::optional<Convergence>> convergenceSeries(
    const PhaseErrorInputs& inputs,
    const std::vector<std::optional<PositionErrors>>& errors,
    std::span<const std::uint64_t> batchJobs, unsigned threads) {
  const BatchSums& batches = *inputs.batches;
  const PhaseBands& bands = *inputs.bands;
  const PhaseEstimates& estimates = *inputs.estimates;
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
    series[e] = positionSeries(inputs.points, batches, e, bands[e],
                               estimates[e],
                               e < errors.size() ? errors[e] : std::nullopt,
                               batchJobs);
  });
  return series;
}

}  // namespace linprob
