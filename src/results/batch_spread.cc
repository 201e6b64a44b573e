#include "results/batch_spread.h"

#include <cmath>
#include <cstddef>
#include <limits>

namespace linprob {
namespace {
constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();
}  // namespace

double batchStandardError(std::span<const double> weights,
                          std::span<const double> estimates) {
  const std::size_t h = estimates.size();
  if (h < 2 || weights.size() != h) return kNotANumber;
  double total = 0.0;
  double weighted = 0.0;
  for (std::size_t r = 0; r < h; ++r) {
    total += weights[r];
    const double term = weights[r] * estimates[r];
    weighted += term;
  }
  const double mean = weighted / total;
  double sum = 0.0;
  for (std::size_t r = 0; r < h; ++r) {
    const double fraction = weights[r] / total;
    const double deviation = estimates[r] - mean;
    const double scaled = fraction * deviation;
    const double square = scaled * scaled;
    sum += square;
  }
  const auto count = static_cast<double>(h);
  const double factor = count / (count - 1.0);
  const double variance = factor * sum;
  return std::sqrt(variance);
}

double jackknifeError(std::span<const double> shares, double estimate,
                      std::span<const double> leftOut) {
  const std::size_t h = leftOut.size();
  if (h < 2 || shares.size() != h) return kNotANumber;
  const auto count = static_cast<double>(h);
  double jackknifed = count * estimate;
  for (std::size_t r = 0; r < h; ++r) {
    jackknifed -= (1.0 - shares[r]) * leftOut[r];
  }
  double sum = 0.0;
  for (std::size_t r = 0; r < h; ++r) {
    // A batch that holds the whole mass leaves nothing to compare with.
    if (!(shares[r] < 1.0)) return kNotANumber;
    const double groups = 1.0 / shares[r];
    const double pseudo = groups * estimate - (groups - 1.0) * leftOut[r];
    const double deviation = pseudo - jackknifed;
    sum += deviation * deviation / (groups - 1.0);
  }
  return std::sqrt(sum / count);
}

double subsampleError(std::span<const double> shares,
                      std::span<const double> estimates, double rate) {
  const std::size_t h = estimates.size();
  if (h < 2 || shares.size() != h) return kNotANumber;
  double mean = 0.0;
  for (const double y : estimates) mean += y;
  mean /= static_cast<double>(h);
  double sum = 0.0;
  for (std::size_t r = 0; r < h; ++r) {
    const double deviation = estimates[r] - mean;
    sum += std::pow(shares[r], 2.0 * rate) * deviation * deviation;
  }
  return std::sqrt(sum / static_cast<double>(h - 1));
}

}  // namespace linprob
