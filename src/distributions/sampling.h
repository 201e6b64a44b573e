// The sampling producer: pushes every chunk of a sampling phase (its blocks
// of samples, see SampleBlocks), in chunk order, from the calling thread.
// The solver threads draw the chunks' samples themselves. Pushes no stopper.
#ifndef LINPROB_DISTRIBUTIONS_SAMPLING_H_
#define LINPROB_DISTRIBUTIONS_SAMPLING_H_

#include <stop_token>

#include "distributions/chunk_queue.h"
#include "distributions/job_source.h"

namespace linprob {

// Pushes the chunks of the phase that `share` owns, in increasing order.
// Stops early, between two chunks, once `stop` is requested.
void produceSamples(ChunkQueue& queue, const SamplingJobs& jobs,
                    std::stop_token stop = {}, ChunkShare share = {});

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_SAMPLING_H_
