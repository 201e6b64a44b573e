#include "solve/fine_histogram.h"

#include <cmath>
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

double FineHistogram::border(std::size_t k) const {
  if (k >= counts_.size()) return max_;
  // The product, then the sum, each rounded once.
  const double offset = static_cast<double>(k) * resolution_;
  return min_ + offset;
}

}  // namespace linprob
