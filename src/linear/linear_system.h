// LinearSystem: one square system A x = b and its Gauss-Jordan elimination,
// recorded as a list of steps that any right-hand side can later replay.
//
// The matrix is stored by columns: A(r, c) is matrix[c][r]. eliminate() runs
// once, right after the matrix is loaded; afterwards `steps` and `columnOrder`
// are read-only and may be shared by any number of threads.
//
// Solution position k of a replayed right-hand side holds the unknown whose
// input index (its column in A as read) is columnOrder[k].
//
// Pivot growth: eliminate() also keeps the largest absolute entry of any
// matrix its combinations produce (the input matrix included) and divides it
// by the largest absolute entry of the input, once, at the end. The scalings
// that set the pivots to 1 are not counted: they normalise, they do not grow.
#ifndef LINPROB_LINEAR_LINEAR_SYSTEM_H_
#define LINPROB_LINEAR_LINEAR_SYSTEM_H_

#include <cstdint>
#include <optional>
#include <stop_token>
#include <vector>

#include "linear/pivot_mode.h"

namespace linprob {

// The kind of a recorded operation, stored as the 32-bit number 0, 1 or 2.
// Any other number is an invalid step: the replay reports it and goes on.
enum class StepKind : std::int32_t {
  kCombination = 0,  // row `second` += value * row `first`
  kExchange = 1,     // of `first` and `second`: value 1.0 rows, 2.0 columns
  kScaling = 2,      // row `first` is divided by the pivot `value`
};

// One recorded operation of the elimination.
struct step {
  StepKind type = StepKind::kCombination;
  std::uint32_t first = 0;
  std::uint32_t second = 0;
  double value = 0.0;
};

inline constexpr double kRowExchange = 1.0;
inline constexpr double kColumnExchange = 2.0;

class LinearSystem {
 public:
  // An n x n zero matrix, the identity column order and no steps.
  explicit LinearSystem(unsigned n);

  // Gauss-Jordan elimination with the given pivoting: a forward pass to upper
  // triangular form (pivot search, then combinations into the rows below), a
  // backward pass clearing the entries above the diagonal, each row scaled by
  // its pivot. The pivot search replaces its running maximum (from 0.0) only on
  // a strictly greater fabs, so the first candidate in scan order wins ties and
  // all-zero candidates choose nothing. With both flags the column exchange is
  // recorded before the row exchange.
  //
  // `stop` is looked at before each row combination (n operations): once it
  // is requested the elimination returns at once and leaves the system half
  // eliminated, which the caller must then drop.
  void eliminate(bool rowPivot, bool colPivot,
                 const std::stop_token& stop = {});
  void eliminate(const PivotMode& mode, const std::stop_token& stop = {}) {
    eliminate(mode.rowPivot, mode.colPivot, stop);
  }

  // Exchanges rows (columns == false) or columns a and b and records it.
  void exchange(bool columns, unsigned a, unsigned b);
  // Records {0, source, target, factor}, then A(target, t) = A(source, t) *
  // factor + A(target, t) for every column t, product and sum rounded apart,
  // and raises largestEntry to the largest absolute entry written.
  void addRow(unsigned source, unsigned target, double factor);
  // Records {2, row, -, A(row, row)}, then sets A(row, row) = 1.0.
  void scaleRow(unsigned row);

  std::vector<unsigned> columnOrder;
  std::vector<std::vector<double>> matrix;
  unsigned size;
  std::vector<step> steps;
  // The largest absolute entry the matrix has held since eliminate() began
  // (the input's included), and after eliminate() that over the input's
  // largest: 1 when no entry grew, NaN for a zero matrix.
  double largestEntry = 0.0;
  double pivotGrowth = 1.0;
};

// The first place where an eliminated system met a pivot that cannot be
// divided by: a scaling by 0 or by a non-finite pivot, or a combination whose
// factor is not finite (a zero or non-finite pivot in row `position`).
struct PivotFault {
  unsigned position = 0;
  double pivot = 0.0;  // the offending pivot or factor
};
std::optional<PivotFault> findPivotFault(const LinearSystem& system);

}  // namespace linprob

#endif  // LINPROB_LINEAR_LINEAR_SYSTEM_H_
