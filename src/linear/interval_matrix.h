// An interval matrix [A] (each coefficient a closed range [lower, upper])
// with an interval right-hand side [b], and the naive interval elimination
// of [A | b].
//
// Naive elimination: Gaussian elimination of [A | b] in outward-rounded
// interval arithmetic (linear/upward_rounding.h) along a fixed pivot
// order, the one the described elimination of a point matrix chose (rows
// and columns as its exchanges left them: P A Q = L U), in the operation
// order of the recorded steps: each row below the pivot takes factor =
// a_ik / a_kk and subtracts factor times the pivot row; the backward pass
// takes factor = a_ik / a_kk for the rows above and subtracts factor times
// the pivot's right-hand side; each unknown is its right-hand side over its
// pivot. Every matrix of [A] and vector of [b] has its solution inside the
// result; it fails where a pivot interval holds zero (or an end overflows).
// O(n^3) interval operations, rows in parallel on up to `threads` threads
// (the same result on any number).
#ifndef LINPROB_LINEAR_INTERVAL_MATRIX_H_
#define LINPROB_LINEAR_INTERVAL_MATRIX_H_

#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "linear/value_bounds.h"

namespace linprob {

struct IntervalMatrix {
  unsigned n = 0;
  std::vector<ValueBounds> entries;  // row-major, n x n

  const ValueBounds& at(unsigned row, unsigned column) const {
    return entries[std::size_t{row} * n + column];
  }
  // The midpoints rounded to doubles, row-major.
  std::vector<double> midpoints() const;
};

// An enclosure of the solutions, by unknown (input order), or why there
// is none.
struct Enclosure {
  std::optional<std::vector<ValueBounds>> bounds;
  std::string reason;  // when there are no bounds
};

// The row and column orders a recorded elimination's exchanges leave:
// position k holds row rows[k] and column columns[k].
struct PivotOrder {
  std::vector<unsigned> rows;
  std::vector<unsigned> columns;
};

// The orders an elimination of a point matrix left (its recorded row
// exchanges, its column order).
class LinearSystem;
PivotOrder pivotOrderOf(const LinearSystem& system);

Enclosure naiveElimination(const IntervalMatrix& a,
                           const std::vector<ValueBounds>& b,
                           const PivotOrder& order, unsigned threads = 1,
                           const std::stop_token& stop = {});

}  // namespace linprob

#endif  // LINPROB_LINEAR_INTERVAL_MATRIX_H_
