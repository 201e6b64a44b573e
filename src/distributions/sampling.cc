#include "distributions/sampling.h"

#include <memory>
#include <utility>

namespace linprob {

void produceSamples(BlockQueue& queue, const SamplingJobs& jobs,
                    std::stop_token stop) {
  SampleStream stream(jobs);
  while (!stop.stop_requested()) {
    std::unique_ptr<JobBlock> block = queue.takeFree();
    if (stream.fill(*block) == 0) {
      queue.recycle(std::move(block));
      return;
    }
    queue.push(std::move(block));
  }
}

}  // namespace linprob
