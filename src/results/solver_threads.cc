#include "results/solver_threads.h"

#include <functional>
#include <string>
#include <utility>

#include "driver/console.h"
#include "linear/step_replay.h"

namespace linprob {

std::mutex solvedMutex;

void startSolvers(JobQueue& jobs, const LinearSystem& system, int threadCount,
                  SampleTable& results, std::vector<std::thread>& threads) {
  results.clear();
  results.resize(system.size);
  for (int j = 0; j < threadCount; ++j) {
    threads.emplace_back(solverThread, std::ref(jobs), std::cref(system.steps),
                         std::ref(results));
  }
}

void solverThread(JobQueue& jobs, const std::vector<step>& steps,
                  SampleTable& results) {
  printLine("Solver Thread Started!");
  // The thread's own right-hand side: each job's storage is moved in, solved
  // in place and released again outside every lock, so taking a job costs no
  // copy and no allocation.
  std::vector<double> rhs;
  for (;;) {
    double probability = 0.0;
    {
      std::unique_lock<std::mutex> lock(jobsMutex);
      jobsAvailable.wait(lock, [&jobs] { return !jobs.empty(); });
      ProbInstance& front = jobs.front();
      if (isStopper(front)) {
        // Left in place: every other solver of the phase must meet it too.
        printLine("Stopper found.");
        return;
      }
      // rhs holds no storage here (released below), so this move frees
      // nothing while jobsMutex is held.
      rhs = std::move(front.rhs);
      probability = front.probability;
      jobs.pop_front();
    }

    replaySteps(rhs, steps);

    {
      std::lock_guard<std::mutex> solvedLock(solvedMutex);
      // One sample per position, all under one lock hold: the k-th samples of
      // every position come from the same job.
      const std::size_t positions = results.size();
      for (std::size_t i = 0; i < positions; ++i) {
        results[i].push_back(SampleRectangle{rhs[i], probability});
      }
      if (positions > 0) {
        const std::size_t solved = results[0].size();
        if (solved % kProgressInterval == 0) {
          printLine("I have solved " + std::to_string(solved) +
                    " jobs already!");
        }
      }
    }
    // Give the job's storage back with no lock held.
    std::vector<double>().swap(rhs);
  }
}

void joinSolvers(JobQueue& jobs, std::vector<std::thread>& threads) {
  for (std::thread& thread : threads) {
    thread.join();
  }
  threads.clear();
  std::lock_guard<std::mutex> lock(jobsMutex);
  if (!jobs.empty()) {
    jobs.pop_front();
  }
}

}  // namespace linprob
