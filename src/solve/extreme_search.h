// ExtremeSearch: the exact smallest and largest solved value of every
// solution position of an enumeration phase, from a few replays instead of
// one per job.
//
// Up to rounding, a solved value is linear in the right-hand side: with L
// the replay's steps in exact arithmetic, position i of job (k_0, ..., k_n-1)
// is near S = sum_e c_e(k_e), where c_e(k) is the replay of the right-hand
// side holding cell k's value at entry e and zeros elsewhere. ReplayBound
// gives T_i with |replayed - L b| <= T_i for every job (and for every
// contribution against its exact part), so the replayed value R of a job lies
// in [S - T, S + T] up to the rounding of the sum (sigma_i, a few units of
// the largest sum of contributions). The smallest S, M, is the sum of each
// entry's smallest contribution, and the smallest R is at most M + T, so only
// jobs with S <= M + 2T can reach it. A depth-first walk over the entries,
// cells sorted by contribution, lists exactly the jobs with
//   fl(sum) <= fl(M + W),  W = 4 T + 8 sigma
// (W also covers the roundings of the walk's own sums and of the limit), and
// these candidates are replayed exactly: the least replayed value is the
// minimum, bit for bit, -0.0 before +0.0 (every job whose value equals the
// minimum is a candidate). The maximum is the same walk on the negated
// contributions.
//
// Usually a position has one or two candidates per direction. When the
// bounds are not finite (overflow, a zero pivot, non-finite cells) or the
// candidates of the phase exceed the limit given (ties, such as an entry
// that a position does not depend on), usable() is false and the caller
// replays every job instead.
//
// The candidates are found per prefix, so a phase may search its chunks of
// prefixes on any threads and merge the Extremes in any order. search() is
// const and allocates only its small index arrays.
#ifndef LINPROB_SOLVE_EXTREME_SEARCH_H_
#define LINPROB_SOLVE_EXTREME_SEARCH_H_

#include <cstddef>
#include <cstdint>
#include <utility>
#include <stop_token>
#include <vector>

#include "distributions/job_block.h"
#include "distributions/job_chunk.h"
#include "distributions/enumeration_jobs.h"
#include "linear/linear_system.h"
#include "solve/extremes.h"

namespace linprob {

// The most candidates the search of a phase of `jobs` jobs may list:
// beyond a quarter of the jobs, replaying every job costs little more;
// beyond 2^24, counting the candidates (on one thread, before the phase
// starts) would take longer than replaying every job on all threads.
std::uint64_t candidateLimitFor(std::uint64_t jobs);

// Whether the search of a phase of `jobs` jobs of n entries can be usable:
// every position and direction has at least one candidate, so a limit
// below 2n never is, and the search's setup (some 3n replays of the steps,
// seconds at 500 unknowns) would be spent for nothing.
bool searchMayApply(std::uint64_t jobs, unsigned n);

class ExtremeSearch {
 public:
  // The setup replays the steps about 2n times (seconds for some hundreds
  // of unknowns): `stop` is looked at between two of them and between two
  // positions' walks, and once it is requested the search is not usable.
  ExtremeSearch(const EnumerationJobs& jobs, const std::vector<step>& steps,
                std::uint64_t candidateLimit,
                const std::stop_token& stop = {});

  bool usable() const { return usable_; }
  // The replays search() makes over all prefixes (when usable).
  std::uint64_t candidates() const { return candidates_; }

  // Replays the candidates whose entry-0 cell lies in `prefixes` and folds
  // each into the minimum or maximum of its position. Returns the number of
  // replays. `block` (n entries) is scratch.
  std::uint64_t search(UnitRange prefixes, Extremes& extremes,
                       JobBlock& block) const;

 private:
  // The walk for one position and direction.
  struct Target {
    unsigned position = 0;
    bool maximum = false;  // contributions negated
    double limit = 0.0;    // fl(M + W)
    // rest[d]: the sum of the smallest contributions of entries d ... n-1
    // (rest[n] = 0).
    std::vector<double> rest;
    // The contribution of entry 0 by cell (the prefix is given).
    std::vector<double> first;
    // Entries 1 ... n-1: (contribution, cell), ascending.
    std::vector<std::vector<std::pair<double, std::uint32_t>>> sorted;
  };

  // Calls leaf(cells) for every candidate of `target` under `prefixes`;
  // stops early once leaf returns false.
  template <typename Leaf>
  void walk(const Target& target, UnitRange prefixes,
            std::vector<std::uint32_t>& cells, Leaf&& leaf) const;

  const EnumerationJobs& jobs_;
  const std::vector<step>& steps_;
  std::vector<Target> targets_;
  std::uint64_t candidates_ = 0;
  bool usable_ = false;
};

}  // namespace linprob

#endif  // LINPROB_SOLVE_EXTREME_SEARCH_H_
