#include "solve/pair_replay.h"

#include "linear/step_replay.h"
#include "solve/part_sums.h"

namespace linprob {

PairReplay::PairReplay(const EnumerationJobs& jobs,
                       const std::vector<step>& steps, unsigned split)
    : jobs_(jobs), steps_(steps), split_(split), block_(jobs.n),
      cells_(jobs.n, 0) {}

void PairReplay::add(std::uint32_t first, std::uint32_t second) {
  const std::size_t cellCount = jobs_.prefixCount();
  cellsOf(first, cellCount, 0, split_, cells_.data());
  cellsOf(second, cellCount, split_, jobs_.n, cells_.data());
  const std::size_t lane = block_.count++;
  for (unsigned e = 0; e < jobs_.n; ++e) {
    block_.entry(e)[lane] = jobs_.cells[cells_[e]][e].value;
  }
}

void PairReplay::replay() {
  replayBlock(block_.values.data(), kBlockJobs, block_.count, steps_);
  replays_ += block_.count;
}

}  // namespace linprob
