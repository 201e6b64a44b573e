#include "solve/fine_histogram.h"

#include <stdexcept>
#include <utility>

namespace linprob {

std::uint64_t countsTotal(std::span<const std::uint64_t> counts) {
  std::uint64_t sums[4] = {0, 0, 0, 0};
  std::size_t k = 0;
  for (; k + 4 <= counts.size(); k += 4) {
    sums[0] += counts[k];
    sums[1] += counts[k + 1];
    sums[2] += counts[k + 2];
    sums[3] += counts[k + 3];
  }
  std::uint64_t total = (sums[0] + sums[1]) + (sums[2] + sums[3]);
  for (; k < counts.size(); ++k) total += counts[k];
  return total;
}

FineHistogram::FineHistogram(double min, double max, std::size_t subBands)
    : grid_(min, max, subBands), counts_(subBands, 0) {}

FineHistogram::FineHistogram(const SubBandGrid& grid,
                             std::vector<std::uint64_t> counts)
    : grid_(grid), counts_(std::move(counts)) {
  if (counts_.size() != grid_.subBands()) {
    throw std::invalid_argument("fine histogram: merge of a different range");
  }
  total_ = countsTotal(counts_);
}

void FineHistogram::merge(const FineHistogram& other) {
  if (other.min() != min() || other.max() != max() ||
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

}  // namespace linprob
