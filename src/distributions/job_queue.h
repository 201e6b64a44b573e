// Jobs and the job queue of a distribution phase.
//
// A job (ProbInstance) is a right-hand side with its probability; probability
// -1.0 (compared exactly) marks the stopper, and a default ProbInstance is one.
// Producers push jobs at the back; solver threads take them from the front.
// Each phase ends with exactly one stopper, pushed after the last job; a
// consumer that finds it at the front leaves it there and ends, so one stopper
// ends every consumer, and the driver removes it after joining them.
//
// Locks (never two held at once):
//   jobsMutex     guards every JobQueue;
//   jobsAvailable is notified (notify_all) after every push, the stopper's too,
//                 and waited on with jobsMutex;
//   workMutex     guards the generator threads' list of prefixes.
#ifndef LINPROB_DISTRIBUTIONS_JOB_QUEUE_H_
#define LINPROB_DISTRIBUTIONS_JOB_QUEUE_H_

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <vector>

namespace linprob {

struct ProbInstance {
  std::vector<double> rhs;
  double probability = -1.0;
};

inline constexpr double kStopperProbability = -1.0;

inline bool isStopper(const ProbInstance& job) {
  return job.probability == kStopperProbability;
}

using JobQueue = std::deque<ProbInstance>;

extern std::mutex jobsMutex;
extern std::condition_variable jobsAvailable;
extern std::mutex workMutex;

// Enumeration producers back off while the queue holds more than this many
// jobs, so a push can bring it to one more than the bound.
inline constexpr std::size_t kQueueBackOffSize = 50000;

// Appends `job` under jobsMutex, then notifies after releasing it (no bound).
void pushJob(JobQueue& jobs, ProbInstance job);

// Appends the phase's stopper, notifies, then prints "Stopper inserted".
void insertStopper(JobQueue& jobs);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_JOB_QUEUE_H_
