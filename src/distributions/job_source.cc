#include "distributions/job_source.h"

namespace linprob {

void JobSource::produce(ChunkQueue& queue, int /*generatorThreads*/,
                        std::stop_token stop, ChunkShare share) const {
  const ChunkPlan plan = chunkPlan();
  for (std::size_t c = share.first();
       c < plan.chunks && !stop.stop_requested(); c += share.step()) {
    queue.push(JobChunk{c, chunkJobs(c)});
  }
}

}  // namespace linprob
