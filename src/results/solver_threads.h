// Solver threads and the sample table of a distribution phase.
//
// startSolvers resets the table to n empty inner vectors and starts
// threadCount solver threads. Each prints "Solver Thread Started!", then pops
// jobs (waiting on jobsAvailable while the queue is empty), replays the steps
// on the job's right-hand side with no lock held, and appends the n solved
// values, each with the job's probability, to the table under solvedMutex;
// at every multiple of 50000 solved jobs it prints
// "I have solved <count> jobs already!". A thread that finds the stopper at
// the front prints "Stopper found." and ends, leaving the stopper in place.
// joinSolvers joins every thread and removes the stopper: the queue is empty
// and the table complete. Every real job carries n values (n = system.size).
// A threadCount below 1 starts no thread: nothing then consumes the queue.
//
// Table invariant, whenever solvedMutex is free: every inner vector holds one
// sample per solved job, and the k-th samples of all inner vectors come from
// the same job. solvedMutex guards the table and the progress count.
#ifndef LINPROB_RESULTS_SOLVER_THREADS_H_
#define LINPROB_RESULTS_SOLVER_THREADS_H_

#include <mutex>
#include <thread>
#include <vector>

#include "distributions/job_queue.h"
#include "distributions/sample_rectangle.h"
#include "linear/linear_system.h"

namespace linprob {

// [solution position][sample]
using SampleTable = std::vector<std::vector<SampleRectangle>>;

extern std::mutex solvedMutex;

inline constexpr std::size_t kProgressInterval = 50000;

void startSolvers(JobQueue& jobs, const LinearSystem& system, int threadCount,
                  SampleTable& results, std::vector<std::thread>& threads);
void solverThread(JobQueue& jobs, const std::vector<step>& steps,
                  SampleTable& results);
void joinSolvers(JobQueue& jobs, std::vector<std::thread>& threads);

}  // namespace linprob

#endif  // LINPROB_RESULTS_SOLVER_THREADS_H_
