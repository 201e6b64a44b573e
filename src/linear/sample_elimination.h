// SampleElimination: solves one drawn system A x = b under a pivoting
// mode, for a phase whose matrix is random and so is eliminated afresh for
// every sample.
//
// Contract: the same pivots and the same solution, bit for bit, as
// LinearSystem::fromRows(A).eliminate(mode) followed by a replay of its
// steps on b. Every element of [A | b] sees the same products and sums, each
// rounded on its own, in the same order: a forward pivot i combines rows
// i+1 ... n-1 of every column (the entries it leaves below the diagonal
// are read again by the backward pivots, as the recorded elimination reads
// them), a backward pivot b rows 0 ... b-1, then b's row of the
// right-hand side is divided by the pivot. Nothing is recorded and nothing
// allocated per sample: one object per thread, its buffers sized once.
//
// A sample is refused, not solved, where the program's singularity rule
// refuses a matrix: a pivot (a combination factor or a scaling) that is zero
// or not finite, or a condition number ||A||inf ||A^-1||inf above the
// given limit or not finite (A^-1 from the unit vectors, eliminated beside
// b).
#ifndef LINPROB_LINEAR_SAMPLE_ELIMINATION_H_
#define LINPROB_LINEAR_SAMPLE_ELIMINATION_H_

#include <cstddef>
#include <span>
#include <vector>

#include "linear/pivot_mode.h"

namespace linprob {

enum class SampleOutcome { kSolved, kRefused };

class SampleElimination {
 public:
  SampleElimination(unsigned n, const PivotMode& mode, double mostCondition);

  // A's entry (r, c) at a[(r * n + c) * stride], b's entry r at
  // b[r * stride] (the lanes of a job block).
  SampleOutcome solve(const double* a, const double* b, std::size_t stride);

  // After kSolved: solution position k holds unknown unknownAt(k) with
  // value valueAt(k).
  double valueAt(unsigned k) const { return columns_[rhs() + k]; }
  unsigned unknownAt(unsigned k) const { return order_[k]; }
  // The row and the column each forward pivot i took from (i where it
  // exchanged nothing): equal for two samples when their pivot orders are.
  std::span<const unsigned> pivotRows() const { return pivotRows_; }
  std::span<const unsigned> pivotColumns() const { return pivotColumns_; }

  unsigned size() const { return n_; }

 private:
  std::size_t rhs() const { return std::size_t{n_} * n_; }
  double* column(std::size_t c) { return columns_.data() + c * n_; }
  bool forward(unsigned i);
  bool backward(unsigned b);
  void exchangeRows(unsigned a, unsigned b);
  void exchangeColumns(unsigned a, unsigned b);

  unsigned n_;
  bool rowPivot_;
  bool colPivot_;
  double mostCondition_;
  std::size_t columnCount_;  // A's n, b, the n unit vectors
  std::vector<double> columns_;  // column-major, n rows each
  std::vector<double> factors_;
  std::vector<unsigned> order_;
  std::vector<unsigned> pivotRows_;
  std::vector<unsigned> pivotColumns_;
};

}  // namespace linprob

#endif  // LINPROB_LINEAR_SAMPLE_ELIMINATION_H_
