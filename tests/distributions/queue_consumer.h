// Test helpers for the job queue: a consumer that takes jobs the way a solver
// thread does, and counting of console lines.
#ifndef LINPROB_TESTS_DISTRIBUTIONS_QUEUE_CONSUMER_H_
#define LINPROB_TESTS_DISTRIBUTIONS_QUEUE_CONSUMER_H_

#include <algorithm>
#include <cstddef>
#include <mutex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "distributions/job_queue.h"

namespace linprob::testing_support {

struct ConsumerLog {
  std::vector<ProbInstance> taken;
  // The most real jobs (the stopper not counted) seen in the queue at once.
  std::size_t mostJobsQueued = 0;
};

// Takes jobs until the stopper reaches the front, waiting on jobsAvailable
// while the queue is empty; the stopper is left in the queue.
inline void consumeUntilStopper(JobQueue& jobs, ConsumerLog& log) {
  while (true) {
    std::unique_lock<std::mutex> lock(jobsMutex);
    jobsAvailable.wait(lock, [&jobs] { return !jobs.empty(); });
    std::size_t queued = jobs.size();
    if (isStopper(jobs.back())) {
      --queued;
    }
    log.mostJobsQueued = std::max(log.mostJobsQueued, queued);
    if (isStopper(jobs.front())) {
      return;
    }
    log.taken.push_back(std::move(jobs.front()));
    jobs.pop_front();
  }
}

inline std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    lines.push_back(line);
  }
  return lines;
}

inline std::size_t countLines(const std::vector<std::string>& lines,
                              const std::string& wanted) {
  return static_cast<std::size_t>(
      std::count(lines.begin(), lines.end(), wanted));
}

}  // namespace linprob::testing_support

#endif  // LINPROB_TESTS_DISTRIBUTIONS_QUEUE_CONSUMER_H_
