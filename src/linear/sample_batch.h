// SampleBatch: SampleElimination for kBatchLanes drawn systems at once, one
// system per vector lane. Each lane chooses its own pivots (a lane's rows
// and columns are exchanged under a mask, the others' kept) and sees the
// same products, sums and quotients, rounded alike, as SampleElimination
// gives its system: the same pivots, the same refusals and the same
// solution, bit for bit, in every lane (SampleBatchTest holds it to that).
// A batch of fewer systems fills its other lanes with the identity.
//
// The condition number a lane is refused by needs the inverse, as much
// work again as the solution. A batch first carries one more column, a
// bound on every row's sum of the inverse's magnitudes (each factor's
// magnitude applied to the sum of the unit vectors); where that leaves a
// lane's condition number possibly above the limit, a tighter bound from
// the backward pass's own columns (inverse_certificate.h, a sixth of the
// inverse's work); only where neither decides are the unit vectors
// eliminated too. The decision is the same every way.
#ifndef LINPROB_LINEAR_SAMPLE_BATCH_H_
#define LINPROB_LINEAR_SAMPLE_BATCH_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "linear/batch_lanes.h"
#include "linear/pivot_mode.h"

namespace linprob {

class SampleBatch {
 public:
  SampleBatch(unsigned n, const PivotMode& mode, double mostCondition);

  // Systems l = 0 ... lanes - 1 (lanes <= kBatchLanes): A's entry (r, c) at
  // a[(r * n + c) * stride + l], b's entry r at b[r * stride + l] (the lanes
  // of a job block).
  void solve(const double* a, const double* b, std::size_t stride,
             std::size_t lanes);

  // After solve: whether lane l's system was solved (not refused), and
  // then, as SampleElimination's accessors, its solution and pivots.
  bool solved(std::size_t l) const { return refused_[l] == 0; }
  double valueAt(std::size_t l, unsigned k) const {
    return columns()[(std::size_t{n_} * n_ + k) * kBatchLanes + l];
  }
  unsigned unknownAt(std::size_t l, unsigned k) const {
    return static_cast<unsigned>(order_[std::size_t{k} * kBatchLanes + l]);
  }
  unsigned pivotRow(std::size_t l, unsigned i) const {
    return static_cast<unsigned>(pivotRows_[std::size_t{i} * kBatchLanes + l]);
  }
  unsigned pivotColumn(std::size_t l, unsigned i) const {
    return static_cast<unsigned>(
        pivotColumns_[std::size_t{i} * kBatchLanes + l]);
  }

  unsigned size() const { return n_; }

 private:
  // The columns from a cache line's start: a lane vector is a line.
  double* columns() {
    return columns_.data() + aligned_;
  }
  const double* columns() const { return columns_.data() + aligned_; }

  unsigned n_;
  int mode_;  // 0 none, 1 row, 2 column, 3 both
  double mostCondition_;
  // Lane l of entry (r) of column c at [(c * n + r) * kBatchLanes + l]:
  // A's n columns, b, then either the n unit vectors (where they are
  // eliminated) or the bound on the inverse's row sums and the
  // certificate's n + 1 columns.
  std::vector<double> columns_;
  std::size_t aligned_ = 0;  // doubles before the first line's start
  std::vector<double> factors_;
  std::size_t factorsAligned_ = 0;
  std::vector<std::int64_t> order_;
  std::vector<std::int64_t> pivotRows_;
  std::vector<std::int64_t> pivotColumns_;
  std::vector<std::int64_t> refused_;
  // Batches still to solve with the inverse at once, neither bound having
  // decided most lanes of a recent one.
  int inverseFirst_ = 0;
  static constexpr int kInverseFirstBatches = 15;
};

}  // namespace linprob

#endif  // LINPROB_LINEAR_SAMPLE_BATCH_H_
