// Enumeration of every job of a phase by a pool of generator threads.
//
// The prefixes (cell indices of entry 0) wait in increasing order in a work
// list guarded by its own mutex. Each generator thread prints
// "Generator Thread Started!", then repeatedly takes one prefix and pushes
// its jobs, in enumeration order, in blocks of kBlockJobs onto the queue
// (which may make it nap, see BlockQueue); when the list is empty it prints
// "Generator thread stopping!" (holding the work-list mutex) and ends. Both
// are job lines (printJobLine, base/console.h).
#ifndef LINPROB_DISTRIBUTIONS_GENERATOR_THREADS_H_
#define LINPROB_DISTRIBUTIONS_GENERATOR_THREADS_H_

#include <stop_token>

#include "distributions/block_queue.h"
#include "distributions/job_source.h"

namespace linprob {

// Returns when every generator thread has ended, that is when every job of
// the phase has been pushed, or early once `stop` is requested (between two
// blocks). Pushes no stopper. generatorCount < 1 starts no thread and pushes
// nothing. Rethrows the first exception of a generator thread.
void runGenerators(BlockQueue& queue, const EnumerationJobs& jobs,
                   int generatorCount, std::stop_token stop = {});

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_GENERATOR_THREADS_H_
