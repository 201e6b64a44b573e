// PartCuts: where cuts fall among the sorted sums of a part (part_sums.h),
// each found on its own in a few steps instead of by a search or by a
// pointer carried from the previous cut.
//
// The range of the sums is split into 4 cells per sum, cell c starting at
// the first sum whose cell is c or later (cellOf never decreases, so no
// earlier sum reaches a cut in cell c); a cut's index is its cell's start,
// then a step per sum of the cell below the cut. The sums are kept with
// +inf twice after them, so a step never reads past the end.
//
// Built once per part; only read afterwards, by any number of threads.
#ifndef LINPROB_SOLVE_PART_CUTS_H_
#define LINPROB_SOLVE_PART_CUTS_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace linprob {

class PartCuts {
 public:
  // `sorted` ascending, not empty.
  explicit PartCuts(const std::vector<double>& sorted);

  // The first index with values[i] >= cut (size() when none).
  std::size_t firstNotBelow(double cut) const {
    std::size_t at = cellStart_[cellOf(cut)];
    while (values_[at] < cut) ++at;
    return at;
  }
  // The first index with values[i] > cut (size() when none).
  std::size_t firstAbove(double cut) const {
    std::size_t at = cellStart_[cellOf(cut)];
    while (values_[at] <= cut) ++at;
    return at;
  }

  // For j < count, a start for firstNotBelow(cut_j) with
  // cut_j = fl(fl(t - a[j]) - margin): an index at most firstNotBelow's,
  // with no sum between it and firstNotBelow's but when a cell holds more
  // than two. A loop of independent loads, compiled for vectors where the
  // machine has them.
  void startsNotBelow(const double* a, std::size_t count, double t,
                      double margin, std::uint32_t* starts) const;

  std::size_t size() const { return values_.size() - 2; }
  // The sums, then +inf twice.
  const double* values() const { return values_.data(); }

 private:
  std::size_t cellOf(double v) const {
    const double offset = v - lowest_;
    const double position = offset * scale_;
    if (!(position > 0.0)) return 0;
    if (!(position < lastCell_)) return cellStart_.size() - 1;
    return static_cast<std::size_t>(position);
  }

  std::vector<double> values_;
  double lowest_ = 0.0;
  double scale_ = 0.0;     // cells per unit of the sums
  double lastCell_ = 0.0;  // the cells' count
  std::vector<std::uint32_t> cellStart_;  // cells + 1
};

}  // namespace linprob

#endif  // LINPROB_SOLVE_PART_CUTS_H_
