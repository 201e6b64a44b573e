// The sampling producer: pushes every sample of a phase, in blocks, from the
// calling thread. Pushes no stopper.
#ifndef LINPROB_DISTRIBUTIONS_SAMPLING_H_
#define LINPROB_DISTRIBUTIONS_SAMPLING_H_

#include <stop_token>

#include "distributions/block_queue.h"
#include "distributions/job_source.h"

namespace linprob {

// Stops early, between two blocks, once `stop` is requested.
void produceSamples(BlockQueue& queue, const SamplingJobs& jobs,
                    std::stop_token stop = {});

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_SAMPLING_H_
