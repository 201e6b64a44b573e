#include "distributions/generator_threads.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "base/console.h"
#include "base/thread_group.h"

namespace linprob {
namespace {

// The prefixes not yet taken, handed out in increasing order: nextPrefix
// ... prefixCount-1. The mutex guards nextPrefix only.
struct WorkList {
  std::mutex mutex;
  std::size_t nextPrefix = 0;
  std::size_t prefixCount = 0;
};

// Takes the next prefix, or prints the stopping line (holding the work-list
// mutex) and returns nothing when every prefix has been taken.
std::optional<std::size_t> takePrefix(WorkList& work) {
  std::lock_guard<std::mutex> lock(work.mutex);
  if (work.nextPrefix == work.prefixCount) {
    printJobLine("Generator thread stopping!");
    return std::nullopt;
  }
  return work.nextPrefix++;
}

// Pushes the jobs of one prefix in enumeration order, one full block at a
// time (the last block of the prefix may be shorter). No lock is held while
// a block is filled.
void pushPrefix(BlockQueue& queue, const EnumerationJobs& jobs,
                std::size_t prefix, const std::stop_token& stop) {
  const std::uint64_t perPrefix = jobs.jobsPerPrefix();
  for (std::uint64_t first = 0; first < perPrefix && !stop.stop_requested();
       first += kBlockJobs) {
    const auto count = static_cast<std::size_t>(
        std::min<std::uint64_t>(kBlockJobs, perPrefix - first));
    std::unique_ptr<JobBlock> block = queue.takeFree();
    jobs.fill(prefix, first, count, *block);
    queue.push(std::move(block));
  }
}

void generatorThread(BlockQueue& queue, const EnumerationJobs& jobs,
                     WorkList& work, const std::stop_token& stop) {
  printJobLine("Generator Thread Started!");
  while (!stop.stop_requested()) {
    const std::optional<std::size_t> prefix = takePrefix(work);
    if (!prefix) return;
    pushPrefix(queue, jobs, *prefix, stop);
  }
}

}  // namespace

void runGenerators(BlockQueue& queue, const EnumerationJobs& jobs,
                   int generatorCount, std::stop_token stop) {
  WorkList work;
  work.prefixCount = jobs.prefixCount();
  ThreadGroup generators;
  // A stop of the phase stops the generators between two blocks.
  const std::stop_callback stopGenerators(stop,
                                          [&] { generators.requestStop(); });
  for (int t = 0; t < generatorCount; ++t) {
    generators.start([&](const std::stop_token& own) {
      generatorThread(queue, jobs, work, own);
    });
  }
  generators.join();
}

}  // namespace linprob
