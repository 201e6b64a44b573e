#include "distributions/generator_threads.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "driver/console.h"

namespace linprob {
namespace {

constexpr auto kBackOffNap = std::chrono::milliseconds(300);

// Pushes one complete job, first napping (lock released) while the queue
// holds more than kQueueBackOffSize jobs, so the queue never exceeds the
// bound by more than one job per generator check.
void pushWithBackOff(JobQueue& jobs, ProbInstance&& job) {
  std::unique_lock<std::mutex> lock(jobsMutex);
  while (jobs.size() > kQueueBackOffSize) {
    printLine("Generator thread taking a nap at " +
              std::to_string(jobs.size()) + " jobs.");
    lock.unlock();
    std::this_thread::sleep_for(kBackOffNap);
    lock.lock();
    printLine("Generator thread waking up! Jobs left..." +
              std::to_string(jobs.size()));
  }
  jobs.push_back(std::move(job));
  lock.unlock();
  jobsAvailable.notify_all();
}

// Builds the job of one complete combination and pushes it.
void pushCombination(JobQueue& jobs, const RectangleTable& rectangles,
                     unsigned n, const std::vector<int>& indices) {
  ProbInstance job;
  job.probability = 1.0;
  job.rhs.reserve(n);
  for (unsigned i = 0; i < n; ++i) {
    const SampleRectangle& cell =
        rectangles[static_cast<std::size_t>(indices[i])][i];
    // Multiplied in entry order from 1.0: the order fixes the rounded product.
    job.probability = job.probability * cell.probability;
    job.rhs.push_back(cell.value);
  }
  pushWithBackOff(jobs, std::move(job));
}

// Depth-first completion of `indices` in place: entry `depth` runs through
// every cell index in increasing order, entry n-1 varying fastest. Working on
// one vector instead of a copy per level keeps the per-job cost to building
// the job itself.
void completeInPlace(JobQueue& jobs, const RectangleTable& rectangles,
                     unsigned depth, unsigned n, std::vector<int>& indices) {
  if (depth >= n) {
    pushCombination(jobs, rectangles, n, indices);
    return;
  }
  const std::size_t cellCount = rectangles.size();
  for (std::size_t k = 0; k < cellCount; ++k) {
    indices[depth] = static_cast<int>(k);
    completeInPlace(jobs, rectangles, depth + 1, n, indices);
  }
}

}  // namespace

void runGenerators(JobQueue& jobs, const RectangleTable& rectangles,
                   unsigned n, int generatorCount) {
  // One prefix per cell of entry 0, in increasing order. Without entries
  // there is no entry 0 to split on, hence no prefix.
  std::deque<std::vector<int>> GeneratorJobs;
  if (n > 0) {
    for (std::size_t p = 0; p < rectangles.size(); ++p) {
      std::vector<int> prefix(n, 0);
      prefix[0] = static_cast<int>(p);
      GeneratorJobs.push_back(std::move(prefix));
    }
  }
  std::vector<std::thread> GeneratorThreads;
  for (int t = 0; t < generatorCount; ++t) {
    GeneratorThreads.emplace_back(generatorThread, std::ref(jobs),
                                  std::cref(rectangles), n,
                                  std::ref(GeneratorJobs));
  }
  for (auto& thread : GeneratorThreads) {
    thread.join();
  }
}

void generatorThread(JobQueue& jobs, const RectangleTable& rectangles,
                     unsigned n, std::deque<std::vector<int>>& GeneratorJobs) {
  printLine("Generator Thread Started!");
  while (true) {
    std::vector<int> MyJob;
    {
      std::unique_lock<std::mutex> lock(workMutex);
      if (GeneratorJobs.empty()) {
        printLine("Generator thread stopping!");
        return;
      }
      MyJob = std::move(GeneratorJobs.front());
      GeneratorJobs.pop_front();
    }
    completeInPlace(jobs, rectangles, 1, n, MyJob);
  }
}

void enumerateCombinations(JobQueue& jobs, const RectangleTable& rectangles,
                           unsigned depth, unsigned n,
                           std::vector<int> indices) {
  completeInPlace(jobs, rectangles, depth, n, indices);
}

}  // namespace linprob
