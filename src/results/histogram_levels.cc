#include "results/histogram_levels.h"

#include <cmath>
#include <cstddef>
#include <limits>

namespace linprob {
namespace {

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

// min + position · resolution: a value within the grid's range.
double valueAt(const SubBandGrid& grid, double position) {
  const double offset = position * grid.resolution();
  const double value = grid.min() + offset;
  return value < grid.max() ? value : grid.max();
}

}  // namespace

void valuesAtShares(const HistogramView& histogram,
                    std::span<const double> shares, std::span<double> values) {
  const std::span<const std::uint64_t> counts = histogram.counts;
  if (histogram.total == 0 || counts.empty()) {
    for (double& value : values) value = kNotANumber;
    return;
  }
  const auto total = static_cast<double>(histogram.total);
  std::size_t k = 0;
  double below = 0.0;  // the mass of sub-bands 0 ... k-1
  for (std::size_t i = 0; i < shares.size(); ++i) {
    const double target = shares[i] * total;
    // The sub-band where the running mass reaches the target.
    while (k < counts.size() &&
           below + static_cast<double>(counts[k]) < target) {
      below += static_cast<double>(counts[k]);
      ++k;
    }
    if (k == counts.size()) {
      values[i] = histogram.grid->max();
      continue;
    }
    const auto mass = static_cast<double>(counts[k]);
    const double fraction = mass > 0.0 ? (target - below) / mass : 0.0;
    values[i] = valueAt(*histogram.grid, static_cast<double>(k) + fraction);
  }
}

double shareBelow(const HistogramView& histogram, double x) {
  const std::span<const std::uint64_t> counts = histogram.counts;
  if (histogram.total == 0 || counts.empty()) return kNotANumber;
  const SubBandGrid& grid = *histogram.grid;
  if (!(x > grid.min())) return 0.0;
  if (!(x < grid.max())) return 1.0;
  const double position = (x - grid.min()) * grid.scale();
  const auto k = static_cast<std::size_t>(position);
  if (k >= counts.size()) return 1.0;
  double below = 0.0;
  for (std::size_t j = 0; j < k; ++j) below += static_cast<double>(counts[j]);
  const double fraction = position - static_cast<double>(k);
  below += fraction * static_cast<double>(counts[k]);
  return below / static_cast<double>(histogram.total);
}

double fourthCentralMoment(const HistogramView& histogram, double mean) {
  const std::span<const std::uint64_t> counts = histogram.counts;
  if (histogram.total == 0 || counts.empty()) return kNotANumber;
  const SubBandGrid& grid = *histogram.grid;
  double sum = 0.0;
  for (std::size_t k = 0; k < counts.size(); ++k) {
    if (counts[k] == 0) continue;
    const double d = valueAt(grid, static_cast<double>(k) + 0.5) - mean;
    const double square = d * d;
    sum += static_cast<double>(counts[k]) * (square * square);
  }
  return sum / static_cast<double>(histogram.total);
}

double woodruffError(const HistogramView& histogram, double share,
                     double shareError, double coverageFactor,
                     double sampleShare) {
  const double reach = coverageFactor * shareError;
  const double shares[2] = {share - reach, share + reach};
  if (!(shares[0] >= sampleShare && shares[1] <= 1.0 - sampleShare)) {
    return kNotANumber;
  }
  if (reach == 0.0) return 0.0;
  double values[2];
  valuesAtShares(histogram, shares, values);
  return (values[1] - values[0]) / (2.0 * coverageFactor);
}

}  // namespace linprob
