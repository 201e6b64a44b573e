#include "distributions/sampling.h"

namespace linprob {

void produceSamples(ChunkQueue& queue, const SamplingJobs& jobs,
                    std::stop_token stop, ChunkShare share) {
  const ChunkPlan plan = jobs.chunkPlan();
  for (std::size_t c = share.first();
       c < plan.chunks && !stop.stop_requested(); c += share.step()) {
    queue.push(JobChunk{c, jobs.chunkJobs(c)});
  }
}

}  // namespace linprob
