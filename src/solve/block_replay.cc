#include "solve/block_replay.h"

#include "linear/step_replay.h"
#include "linear/tiled_replay.h"

namespace linprob {

void BlockReplay::operator()(JobBlock& block) const {
  if (schedule_.usable() && schedule_.size() >= kTiledReplayFrom) {
    replayScheduled(schedule_, block.values.data(), kBlockJobs, block.count);
  } else {
    replayBlock(block.values.data(), kBlockJobs, block.count, steps_);
  }
}

}  // namespace linprob
