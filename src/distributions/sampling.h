// The sampling producer: pushes every sample of a phase, in blocks, from the
// calling thread. Pushes no stopper.
#ifndef LINPROB_DISTRIBUTIONS_SAMPLING_H_
#define LINPROB_DISTRIBUTIONS_SAMPLING_H_

#include "distributions/block_queue.h"
#include "distributions/job_source.h"

namespace linprob {

void produceSamples(BlockQueue& queue, const SamplingJobs& jobs);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_SAMPLING_H_
