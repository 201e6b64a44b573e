#include "solve/sub_band_grid.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace linprob {
namespace {

// The doubles in the order of their values, as unsigned integers (-0.0 just
// below +0.0): a larger double maps to a larger integer.
constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;

std::uint64_t orderKey(double x) {
  const auto bits = std::bit_cast<std::uint64_t>(x);
  return (bits & kSignBit) != 0 ? ~bits : bits | kSignBit;
}

double fromOrderKey(std::uint64_t key) {
  return std::bit_cast<double>((key & kSignBit) != 0 ? key & ~kSignBit : ~key);
}

}  // namespace

SubBandGrid::SubBandGrid(double min, double max, std::size_t subBands)
    : min_(min), max_(max), subBands_(subBands) {
  if (subBands == 0 || (subBands & (subBands - 1)) != 0) {
    throw std::invalid_argument("fine histogram: " + std::to_string(subBands) +
                                " sub-bands is not a power of two");
  }
  if (!std::isfinite(min) || !std::isfinite(max)) {
    throw std::invalid_argument("fine histogram: range is not finite");
  }
  if (max < min) throw std::invalid_argument("fine histogram: max below min");
  const double width = max - min;
  if (!std::isfinite(width)) {
    throw std::invalid_argument("fine histogram: range is not finite");
  }
  limit_ = static_cast<double>(subBands);
  resolution_ = width / limit_;
  scale_ = width > 0.0 ? limit_ / width : 0.0;
}

double SubBandGrid::border(std::size_t k) const {
  if (k == 0) return min_;
  if (k >= subBands_ || scale_ == 0.0) return max_;
  // subBand(min) = 0 < k <= S - 1 = subBand(max), and subBand never
  // decreases: keep subBand(low) < k <= subBand(high) while the bracket
  // closes. It starts at the estimate, clamped into the range, and widens
  // by doubling steps on the side the estimate missed; then it is halved.
  const std::uint64_t lowest = orderKey(min_);
  const std::uint64_t highest = orderKey(max_);
  const double offset = static_cast<double>(k) * resolution_;
  const double estimate = min_ + offset;
  std::uint64_t at = orderKey(estimate);
  if (!(at > lowest)) at = lowest + 1;
  if (!(at < highest)) at = highest - 1;
  std::uint64_t low = lowest;
  std::uint64_t high = highest;
  if (subBand(fromOrderKey(at)) >= k) {
    high = at;
    for (std::uint64_t step = 1; high - lowest > step; step *= 2) {
      const std::uint64_t probe = high - step;
      if (subBand(fromOrderKey(probe)) < k) {
        low = probe;
        break;
      }
      high = probe;
    }
  } else {
    low = at;
    for (std::uint64_t step = 1; highest - low > step; step *= 2) {
      const std::uint64_t probe = low + step;
      if (subBand(fromOrderKey(probe)) >= k) {
        high = probe;
        break;
      }
      low = probe;
    }
  }
  while (high - low > 1) {
    const std::uint64_t middle = low + (high - low) / 2;
    if (subBand(fromOrderKey(middle)) >= k) {
      high = middle;
    } else {
      low = middle;
    }
  }
  return fromOrderKey(high);
}

}  // namespace linprob
