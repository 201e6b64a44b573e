// LinearSystem: one square system A x = b and its Gauss-Jordan elimination,
// recorded as a list of steps that any right-hand side can later replay.
//
// The matrix is stored by columns: A(r, c) is matrix()[c][r]. It is set
// before eliminate(), which runs once; afterwards the system is read-only
// (only const accessors remain), so its steps and column order may be shared
// by any number of threads.
//
// Solution position k of a replayed right-hand side holds the unknown whose
// input index (its column in A as read) is columnOrder()[k].
//
// Pivot growth: eliminate() also keeps the largest absolute entry of any
// matrix its combinations produce (the input matrix included) and divides it
// by the largest absolute entry of the input, once, at the end. The scalings
// that set the pivots to 1 are not counted: they normalise, they do not grow.
#ifndef LINPROB_LINEAR_LINEAR_SYSTEM_H_
#define LINPROB_LINEAR_LINEAR_SYSTEM_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stop_token>
#include <vector>

#include "linear/pivot_mode.h"
#include "linear/step.h"

namespace linprob {

class ReplaySchedule;

class LinearSystem {
 public:
  // An n x n zero matrix, the identity column order and no steps.
  explicit LinearSystem(unsigned n);
  // The n x n matrix of `rowMajor` (row by row, as "Matice.txt" holds it).
  static LinearSystem fromRows(unsigned n, const std::vector<double>& rowMajor);

  // A(row, column) = value; only before eliminate().
  void setCoefficient(unsigned row, unsigned column, double value);

  // Gauss-Jordan elimination with the mode's pivoting, once: a forward pass
  // to upper triangular form (pivot search, then combinations into the rows
  // below), a backward pass clearing the entries above the diagonal, each
  // row scaled by its pivot. The pivot search replaces its running maximum
  // (from 0.0) only on a strictly greater fabs, so the first candidate in
  // scan order wins ties and all-zero candidates choose nothing. With both
  // flags the column exchange is recorded before the row exchange.
  // Afterwards the system is read-only.
  //
  // `stop` is looked at before each pivot and before each panel of pivots is
  // applied to the other columns (at most kPanelPivots x n x n operations):
  // once it is requested the elimination returns at once and leaves the system half
  // eliminated, which the caller must then drop.
  void eliminate(const PivotMode& mode, const std::stop_token& stop = {});

  unsigned size() const { return size_; }
  // Solution position k holds the unknown of input index columnOrder()[k].
  const std::vector<unsigned>& columnOrder() const { return columnOrder_; }
  const std::vector<step>& steps() const { return steps_; }
  // By columns: A(r, c) is matrix()[c][r]; after eliminate(), about the
  // identity.
  const std::vector<std::vector<double>>& matrix() const { return matrix_; }
  // The largest absolute entry the elimination produced (the input's
  // included) over the input's largest: 1 when no entry grew, NaN for a
  // zero matrix; 1 before eliminate().
  double pivotGrowth() const { return pivotGrowth_; }
  bool eliminated() const { return eliminated_; }
  // The steps compiled for the tiled replay (linear/replay_schedule.h),
  // made on the first call and kept with the system (copies made after
  // eliminate() share it), so that every phase of one system reads the same one
  // instead of compiling its own. Any thread may call it: the first call
  // compiles under the cache's once-flag, concurrent ones wait for it.
  const ReplaySchedule& schedule() const;

 private:
  enum class Exchange { kRows, kColumns };

  // The recorded operations of one pivot, for applying them to the columns
  // one after the other: a row exchange of `row` with `exchangeWith` (none
  // when they are equal), then row `row` times factors[target] added into
  // every target row in [first, end), product and sum rounded apart.
  struct Pivot {
    unsigned row = 0;
    unsigned first = 0;
    unsigned end = 0;
    unsigned exchangeWith = 0;
    std::vector<double> factors;  // by target row, `end` of them
  };
  // Pivots are taken in panels of this many: each panel's pivots are chosen
  // on their own columns (each column brought up to date with the panel's
  // earlier pivots first), then applied to every other column, one column
  // at a time, while it stays in the cache. Every entry still sees every
  // pivot's operations in pivot order, so entries, factors and steps are
  // those of applying each pivot to the whole matrix in turn.
  static constexpr unsigned kPanelPivots = 16;

  // Exchanges rows or columns a and b and records it.
  void exchange(Exchange what, unsigned a, unsigned b);
  // Records the combinations {0, row, target, factor} of pivot `row` into
  // the target rows [first, end), in increasing order of target (decreasing
  // when `descending`), with the factors -A(target, row) / A(row, row) of
  // the current matrix.
  Pivot takePivot(unsigned row, unsigned first, unsigned end, bool descending);
  // The pivot's exchange and combinations on column t, raising
  // largestEntry_ to the largest absolute entry written.
  // Applies `pivot` to column t; the largest magnitude it wrote.
  double applyPivot(unsigned t, const Pivot& pivot);
  // Applies `pivots` to column t one after the other, kGroupPivots at a
  // time where applyGroup can; the same entries as applyPivot on each.
  void applyPivots(unsigned t, std::span<const Pivot> pivots);
  // The kGroupPivots consecutive pivots of a panel on column t in one pass
  // over most of its rows; false (nothing done) for pivots whose ranges it
  // was not written for.
  bool applyGroup(unsigned t, std::span<const Pivot> group);
  // The forward pass without column pivoting, and the backward pass; false
  // when `stop` was requested before a pivot or a panel's sweep.
  bool forwardInPanels(bool rowPivot, const std::stop_token& stop);
  bool backwardInPanels(const std::stop_token& stop);
  // Applies to every column the panel's pivots (those of pivot rows [first,
  // end), in the order they were taken) that it does not have yet.
  void sweepPanel(const std::vector<Pivot>& panel, unsigned first,
                  unsigned end, bool descending);
  // Records {2, row, -, A(row, row)}, then sets A(row, row) = 1.0.
  void scaleRow(unsigned row);

  std::vector<unsigned> columnOrder_;
  std::vector<std::vector<double>> matrix_;
  unsigned size_;
  std::vector<step> steps_;
  double largestEntry_ = 0.0;
  double pivotGrowth_ = 1.0;
  bool eliminated_ = false;
  // Made empty by the constructor and eliminate(); filled by the first
  // schedule().
  struct ScheduleCache;
  std::shared_ptr<ScheduleCache> schedule_;
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
