// Enumeration of every combination of one cell per right-hand-side entry by a
// pool of generator threads.
//
// The combinations are split by the cell index of entry 0 into prefixes, held
// in increasing order in a work list guarded by workMutex. Each generator
// thread takes one prefix at a time and completes it depth-first (entry n-1
// fastest) into jobs whose probability is the product of the cells'
// probabilities in entry order from 1.0 and whose right-hand side is the
// cells' values. Before each push, under jobsMutex, a generator naps 300 ms
// (lock released) while the queue holds more than kQueueBackOffSize jobs.
//
// Console lines: "Generator Thread Started!", "Generator thread stopping!"
// (under workMutex), "Generator thread taking a nap at <size> jobs." and
// "Generator thread waking up! Jobs left...<size>" (under jobsMutex).
#ifndef LINPROB_DISTRIBUTIONS_GENERATOR_THREADS_H_
#define LINPROB_DISTRIBUTIONS_GENERATOR_THREADS_H_

#include <deque>
#include <vector>

#include "distributions/job_queue.h"
#include "distributions/sample_rectangle.h"

namespace linprob {

// Starts generatorCount threads over every prefix of `rectangles` and returns
// when all of them have ended, that is when every combination was pushed.
// Pushes no stopper.
void runGenerators(JobQueue& jobs, const RectangleTable& rectangles,
                   unsigned n, int generatorCount);

// The body of one generator thread.
void generatorThread(JobQueue& jobs, const RectangleTable& rectangles,
                     unsigned n, std::deque<std::vector<int>>& GeneratorJobs);

// Completes `indices`, whose first `depth` elements are chosen, into jobs.
void enumerateCombinations(JobQueue& jobs, const RectangleTable& rectangles,
                           unsigned depth, unsigned n,
                           std::vector<int> indices);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_GENERATOR_THREADS_H_
