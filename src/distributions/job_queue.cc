#include "distributions/job_queue.h"

#include <utility>

#include "driver/console.h"

namespace linprob {

std::mutex jobsMutex;
std::condition_variable jobsAvailable;
std::mutex workMutex;

void pushJob(JobQueue& jobs, ProbInstance job) {
  {
    std::lock_guard<std::mutex> lock(jobsMutex);
    jobs.push_back(std::move(job));
  }
  jobsAvailable.notify_all();
}

void insertStopper(JobQueue& jobs) {
  ProbInstance stopper;
  stopper.probability = kStopperProbability;
  pushJob(jobs, std::move(stopper));
  printLine("Stopper inserted");
}

}  // namespace linprob
