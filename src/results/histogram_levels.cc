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

void valuesAtFractions(const HistogramView& histogram,
                    std::span<const double> fractions, std::span<double> values) {
  const std::span<const std::uint64_t> counts = histogram.counts;
  if (histogram.total == 0 || counts.empty()) {
    for (double& value : values) value = kNotANumber;
    return;
  }
  const auto total = static_cast<double>(histogram.total);
  // Each value is read at the first sub-band k whose running mass through
  // k reaches the target. Shares up to one half are found from the bottom,
  // the others from the top, so that neither pass crosses the histogram;
  // the running masses are whole counts, exact in doubles either way.
  std::size_t upperFrom = fractions.size();
  while (upperFrom > 0 && fractions[upperFrom - 1] > 0.5) --upperFrom;

  std::size_t k = 0;
  double below = 0.0;  // the mass of sub-bands 0 ... k-1
  for (std::size_t i = 0; i < upperFrom; ++i) {
    const double target = fractions[i] * total;
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

  k = counts.size() - 1;
  double through = total;  // the mass of sub-bands 0 ... k
  for (std::size_t i = fractions.size(); i-- > upperFrom;) {
    const double target = fractions[i] * total;
    if (target > through) {
      values[i] = histogram.grid->max();
      continue;
    }
    while (k > 0 && through - static_cast<double>(counts[k]) >= target) {
      through -= static_cast<double>(counts[k]);
      --k;
    }
    const auto mass = static_cast<double>(counts[k]);
    const double fraction =
        mass > 0.0 ? (target - (through - mass)) / mass : 0.0;
    values[i] = valueAt(*histogram.grid, static_cast<double>(k) + fraction);
  }
}

double fractionBelow(const HistogramView& histogram, double x) {
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
  // Without a branch on empty sub-bands (half of them, in no pattern, at a
  // few samples a sub-band) and in four running sums, so that the loop is
  // not held up by mispredictions and one long chain of additions: it is
  // read for every unknown of every sampling phase. Every middle lies
  // within [min, max], so no clamp is needed.
  const double first = grid.min() - mean;
  const double resolution = grid.resolution();
  double sums[4] = {0.0, 0.0, 0.0, 0.0};
  const std::size_t size = counts.size();
  std::size_t k = 0;
  for (; k + 4 <= size; k += 4) {
    for (std::size_t lane = 0; lane < 4; ++lane) {
      const double middle = static_cast<double>(k + lane) + 0.5;
      const double offset = middle * resolution;
      const double d = first + offset;
      const double square = d * d;
      const double fourth = square * square;
      const auto count = static_cast<double>(
          static_cast<std::int64_t>(counts[k + lane]));
      sums[lane] += count * fourth;
    }
  }
  for (; k < size; ++k) {
    const double offset = (static_cast<double>(k) + 0.5) * resolution;
    const double d = first + offset;
    const double square = d * d;
    sums[0] += static_cast<double>(static_cast<std::int64_t>(counts[k])) *
               (square * square);
  }
  const double sum = (sums[0] + sums[1]) + (sums[2] + sums[3]);
  return sum / static_cast<double>(histogram.total);
}

double woodruffError(const HistogramView& histogram, double fraction,
                     double fractionError, double coverageFactor,
                     double sampleFraction) {
  const double reach = coverageFactor * fractionError;
  const double fractions[2] = {fraction - reach, fraction + reach};
  if (!(fractions[0] >= sampleFraction && fractions[1] <= 1.0 - sampleFraction)) {
    return kNotANumber;
  }
  if (reach == 0.0) return 0.0;
  double values[2];
  valuesAtFractions(histogram, fractions, values);
  return (values[1] - values[0]) / (2.0 * coverageFactor);
}

}  // namespace linprob
