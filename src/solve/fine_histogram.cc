#include "solve/fine_histogram.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace linprob {

FineHistogram::FineHistogram(double min, double max, std::size_t subBands)
    : min_(min), max_(max) {
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
  counts_.assign(subBands, 0);
}

void FineHistogram::merge(const FineHistogram& other) {
  if (other.min_ != min_ || other.max_ != max_ ||
      other.counts_.size() != counts_.size()) {
    throw std::invalid_argument("fine histogram: merge of a different range");
  }
  for (std::size_t k = 0; k < counts_.size(); ++k) {
    counts_[k] += other.counts_[k];
  }
  total_ += other.total_;
}

void FineHistogram::addCounts(const std::vector<std::uint64_t>& counts) {
  if (counts.size() != counts_.size()) {
    throw std::invalid_argument("fine histogram: merge of a different range");
  }
  for (std::size_t k = 0; k < counts_.size(); ++k) {
    counts_[k] += counts[k];
    total_ += counts[k];
  }
}

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

double FineHistogram::border(std::size_t k) const {
  if (k == 0) return min_;
  if (k >= counts_.size() || scale_ == 0.0) return max_;
  // subBand(min) = 0 < k <= S - 1 = subBand(max), and subBand never
  // decreases: halve [low, high] keeping subBand(low) < k <= subBand(high).
  std::uint64_t low = orderKey(min_);
  std::uint64_t high = orderKey(max_);
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
