#include "distributions/sampling.h"

namespace linprob {

void produceSamples(ChunkQueue& queue, const SamplingJobs& jobs,
                    std::stop_token stop) {
  const ChunkPlan plan = jobs.chunkPlan();
  for (std::size_t c = 0; c < plan.chunks && !stop.stop_requested(); ++c) {
    queue.push(JobChunk{c, jobs.chunkJobs(c)});
  }
}

}  // namespace linprob
