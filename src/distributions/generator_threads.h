// The enumeration's producers: a pool of generator threads that hand out the
// phase's chunks of prefixes.
//
// The chunks (EnumerationJobs::chunkPlan: consecutive prefixes, the cell
// indices of entry 0) wait in increasing order in a work list guarded by its
// own mutex. Each generator thread prints "Generator Thread Started!", then
// repeatedly takes one chunk and pushes it onto the queue (which may make it
// nap, see ChunkQueue); the solver thread that pops it enumerates the
// chunk's jobs. When the list is empty the generator prints "Generator
// thread stopping!" (holding the work-list mutex) and ends. Both are job
// lines (printJobLine, base/console.h).
#ifndef LINPROB_DISTRIBUTIONS_GENERATOR_THREADS_H_
#define LINPROB_DISTRIBUTIONS_GENERATOR_THREADS_H_

#include <stop_token>

#include "distributions/chunk_queue.h"
#include "distributions/enumeration_jobs.h"

namespace linprob {

// Returns when every generator thread has ended, that is when every chunk of
// the phase that `share` owns has been pushed (in increasing order), or early once `stop` is requested (between two
// chunks). Pushes no stopper. generatorCount < 1 starts no thread and pushes
// nothing. Rethrows the first exception of a generator thread.
void runGenerators(ChunkQueue& queue, const EnumerationJobs& jobs,
                   int generatorCount, std::stop_token stop = {},
                   ChunkShare share = {});

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_GENERATOR_THREADS_H_
