// The elimination's inner loops on one column of the matrix (stored by
// columns): a pivot's combinations column[k] = from * factor[k] + column[k]
// over a range of target rows, the product and the sum each rounded on its
// own as the replay rounds them, and the largest magnitude written, which
// the pivot growth reads.
//
// The largest magnitude skips a NaN, as the scalar comparison
// `magnitude > largest` does, so it does not depend on the order in which
// the entries are looked at: the kernels take the lanes of their vectors in
// any grouping and give the largest a one-by-one loop would.
#ifndef LINPROB_LINEAR_COLUMN_COMBINATION_H_
#define LINPROB_LINEAR_COLUMN_COMBINATION_H_

#include <cstddef>

namespace linprob {

// column[k] = from * factors[k] + column[k] for first <= k < end; the
// largest of `largest` and every |column[k]| written.
double combineColumn(double* column, const double* factors, std::size_t first,
                     std::size_t end, double from, double largest);

// How many pivots combineColumnGroup applies in one pass over a column.
inline constexpr std::size_t kGroupPivots = 4;

// The combinations of kGroupPivots pivots on every row k in [first, end),
// one pivot after the other in the order given: for j = 0, 1, ...
// column[k] = from[j] * factors[j][k] + column[k]. Each entry is read and
// written once for all of them, which a pivot at a time would do once each.
// The largest of `largest` and every magnitude written, the intermediate
// ones included.
double combineColumnGroup(double* column,
                          const double* const (&factors)[kGroupPivots],
                          const double (&from)[kGroupPivots],
                          std::size_t first, std::size_t end, double largest);

// The largest of `largest` and every |column[k]|, first <= k < end.
double columnMaximum(const double* column, std::size_t first, std::size_t end,
                     double largest);

}  // namespace linprob

#endif  // LINPROB_LINEAR_COLUMN_COMBINATION_H_
