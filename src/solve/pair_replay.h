// PairReplay: jobs of an enumeration phase given as a pair of part
// combinations (entries 0 ... split-1 and split ... n-1, see part_sums.h),
// replayed a block at a time exactly as the counting pass replays them: the
// same cell values in a JobBlock, the same replayBlock, so a pair's solved
// values are those of its job bit for bit.
//
// add() queues a pair; once kBlockJobs are queued (full()), or when the
// caller is done, replay() solves them and values(position) gives each
// queued pair's value in the order added; clear() starts the next block.
// One per thread; no allocation after construction.
#ifndef LINPROB_SOLVE_PAIR_REPLAY_H_
#define LINPROB_SOLVE_PAIR_REPLAY_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "distributions/job_block.h"
#include "distributions/enumeration_jobs.h"
#include "linear/linear_system.h"

namespace linprob {

class PairReplay {
 public:
  PairReplay(const EnumerationJobs& jobs, const std::vector<step>& steps,
             unsigned split);

  void add(std::uint32_t first, std::uint32_t second);
  bool full() const { return block_.count == kBlockJobs; }
  std::size_t queued() const { return block_.count; }
  void replay();
  const double* values(unsigned position) const {
    return block_.entry(position);
  }
  void clear() { block_.count = 0; }
  // Pairs replayed so far.
  std::uint64_t replays() const { return replays_; }

 private:
  const EnumerationJobs& jobs_;
  const std::vector<step>& steps_;
  unsigned split_;
  JobBlock block_;
  std::vector<std::uint32_t> cells_;  // one per entry
  std::uint64_t replays_ = 0;
};

}  // namespace linprob

#endif  // LINPROB_SOLVE_PAIR_REPLAY_H_
