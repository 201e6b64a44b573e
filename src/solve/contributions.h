// Contributions: an enumeration phase's solved values taken apart entry by
// entry.
//
// Up to rounding, a solved value is linear in the right-hand side: with L
// the replay's steps in exact arithmetic, position i of job
// (k_0, ..., k_n-1) is near sum_e c_e(k_e)_i, where c_e(k) (at(e, k, i)) is
// the replay of the right-hand side holding cell k's value at entry e and
// zeros elsewhere. tolerance(i) is T_i of ReplayBound: the replay of any job
// against L b plus every contribution against its exact part, so that
//   |replayed_i - sum_e c_e(k_e)_i| <= T_i
// in exact arithmetic, for every job. A sum of contributions computed in
// floating point adds its own rounding, which sumRounding bounds.
//
// finite() is false when a cell, a contribution or a bound is not finite
// (overflow, a zero pivot), or when `stop` was requested while it was built
// (it is looked at between two of its 2n + 1 bounds and replays): nothing
// may then rely on the decomposition. Built once per phase (n replays of one
// block of cells each); only read afterwards, by any number of threads.
#ifndef LINPROB_SOLVE_CONTRIBUTIONS_H_
#define LINPROB_SOLVE_CONTRIBUTIONS_H_

#include <cstddef>
#include <stop_token>
#include <vector>

#include "distributions/enumeration_jobs.h"
#include "linear/linear_system.h"

namespace linprob {

class Contributions {
 public:
  Contributions(const EnumerationJobs& jobs, const std::vector<step>& steps,
                const std::stop_token& stop = {});

  bool finite() const { return finite_; }
  unsigned n() const { return n_; }
  std::size_t cells() const { return cells_; }

  double at(unsigned entry, std::size_t cell, unsigned position) const {
    return values_[(entry * cells_ + cell) * n_ + position];
  }
  double tolerance(unsigned position) const { return tolerance_[position]; }

  // A bound, rounded upwards, on the rounding of any sum of one contribution
  // to `position` from each entry first ... end-1, added one after the
  // other: (end - first) 2u times the sum of each entry's largest magnitude
  // (2u rather than u for the growth of the partial sums).
  double sumRounding(unsigned position, unsigned first, unsigned end) const;

 private:
  unsigned n_ = 0;
  std::size_t cells_ = 0;
  bool finite_ = false;
  std::vector<double> values_;     // [(entry * cells + cell) * n + position]
  std::vector<double> tolerance_;  // by position
  std::vector<double> largest_;    // [entry * n + position]: max_k |c_e(k)_i|
};

}  // namespace linprob

#endif  // LINPROB_SOLVE_CONTRIBUTIONS_H_
