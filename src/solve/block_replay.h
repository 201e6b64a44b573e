// The replay of a phase's blocks of jobs (distributions/job_block.h).
#ifndef LINPROB_SOLVE_BLOCK_REPLAY_H_
#define LINPROB_SOLVE_BLOCK_REPLAY_H_

#include <vector>

#include "distributions/job_block.h"
#include "linear/linear_system.h"
#include "linear/replay_schedule.h"

namespace linprob {

// The replay of a phase's blocks: on the system's compiled schedule
// (LinearSystem::schedule, compiled once for all its phases) from
// kTiledReplayFrom unknowns on when the steps compile, step by step
// otherwise. Built once per phase, then only read; the system must outlive
// it.
class BlockReplay {
 public:
  explicit BlockReplay(const LinearSystem& system)
      : steps_(system.steps()), schedule_(system.schedule()) {}

  void operator()(JobBlock& block) const;

 private:
  const std::vector<step>& steps_;
  const ReplaySchedule& schedule_;
};

}  // namespace linprob

#endif  // LINPROB_SOLVE_BLOCK_REPLAY_H_
