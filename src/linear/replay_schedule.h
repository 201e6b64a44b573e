// ReplaySchedule: a recorded Gauss-Jordan elimination compiled, once per
// step list, into the form that replays it fastest on many right-hand sides:
// a permutation, two triangular solves and the scalings.
//
// A row exchange only renames rows, so the schedule follows each element of
// the right-hand side by what it holds instead of where it is: logical row k
// is the element that the replay leaves in position k, and it starts as
// input row inputRow(k). The steps are accepted when, per logical row, they
// are exactly
//   forward:  x[k] += L(k, i) * x[i] for i = 0, 1, ..., k-1, in this order,
//             each x[i] read once its own forward combinations are done;
//   backward: x[k] += U(k, i) * x[i] for i = n-1, n-2, ..., k+1, each x[i]
//             read once its backward combinations are done and before its
//             scaling;
//   scaling:  x[k] /= pivot(k), last.
// Every element then undergoes the same operations on the same operands in
// the same order as in the one-by-one replay, whatever the interleaving of
// the step list, so solving the two triangles one after the other gives the
// replay's bits. LinearSystem::eliminate records exactly this under every
// pivoting mode (column exchanges change nothing here). Any other list (an
// invalid step kind, a missing or repeated combination, a row out of range)
// leaves the schedule unusable, and the caller replays the steps themselves.
//
// The backward solve is stored as a forward one on the rows numbered from the
// bottom (row r here is logical row n-1-r), so that one kernel solves both.
// Each triangle's factors are packed for the kernel: rows in panels of
// kPanelRows; panel p (rows r0 = p * kPanelRows ...) holds, for every source
// i < r0 + kPanelRows, the factors of its rows contiguously,
// factor(r0 + t, i) at panel[i * kPanelRows + t] (0.0 where i >= r0 + t).
//
// Immutable once built: any number of threads may read it.
#ifndef LINPROB_LINEAR_REPLAY_SCHEDULE_H_
#define LINPROB_LINEAR_REPLAY_SCHEDULE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "linear/step.h"

namespace linprob {

inline constexpr std::size_t kPanelRows = 4;

// A unit lower-triangular solve x[r] += f(r, i) * x[i], i ascending, packed in
// panels of kPanelRows rows.
struct PackedTriangle {
  // The factors of panel p start at panels[offsets[p]].
  const double* panel(std::size_t p) const {
    return panels.data() + offsets[p];
  }
  std::vector<std::size_t> offsets;
  std::vector<double> panels;
};

class ReplaySchedule {
 public:
  // Compiles `steps` of a system of n unknowns.
  ReplaySchedule(const std::vector<step>& steps, unsigned n);

  bool usable() const { return usable_; }
  unsigned size() const { return n_; }
  std::uint32_t inputRow(unsigned k) const { return inputRows_[k]; }
  const PackedTriangle& forward() const { return forward_; }
  // Row r is logical row n-1-r.
  const PackedTriangle& backward() const { return backward_; }
  double pivot(unsigned k) const { return pivots_[k]; }

 private:
  bool compile(const std::vector<step>& steps);

  unsigned n_;
  bool usable_ = false;
  std::vector<std::uint32_t> inputRows_;
  PackedTriangle forward_;
  PackedTriangle backward_;
  std::vector<double> pivots_;
};

}  // namespace linprob

#endif  // LINPROB_LINEAR_REPLAY_SCHEDULE_H_
