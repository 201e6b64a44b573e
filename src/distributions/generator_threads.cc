#include "distributions/generator_threads.h"

#include <cstddef>
#include <mutex>
#include <optional>

#include "base/console.h"
#include "base/thread_group.h"

namespace linprob {
namespace {

// The chunks not yet taken, handed out in increasing order: nextChunk,
// nextChunk + step, ... below chunkCount. The mutex guards nextChunk only.
struct WorkList {
  std::mutex mutex;
  std::size_t nextChunk = 0;
  std::size_t step = 1;
  std::size_t chunkCount = 0;
};

// Takes the next chunk, or prints the stopping line (holding the work-list
// mutex) and returns nothing when every chunk has been taken.
std::optional<std::size_t> takeChunk(WorkList& work) {
  std::lock_guard<std::mutex> lock(work.mutex);
  if (work.nextChunk >= work.chunkCount) {
    printJobLine("Generator thread stopping!");
    return std::nullopt;
  }
  const std::size_t chunk = work.nextChunk;
  work.nextChunk += work.step;
  return chunk;
}

void generatorThread(ChunkQueue& queue, const EnumerationJobs& jobs,
                     WorkList& work, const std::stop_token& stop) {
  printJobLine("Generator Thread Started!");
  while (!stop.stop_requested()) {
    const std::optional<std::size_t> chunk = takeChunk(work);
    if (!chunk) return;
    queue.push(JobChunk{*chunk, jobs.chunkJobs(*chunk)});
  }
}

}  // namespace

void runGenerators(ChunkQueue& queue, const EnumerationJobs& jobs,
                   int generatorCount, std::stop_token stop,
                   ChunkShare share) {
  WorkList work;
  work.nextChunk = share.first();
  work.step = share.step();
  work.chunkCount = jobs.chunkPlan().chunks;
  ThreadGroup generators;
  // A stop of the phase stops the generators between two chunks.
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
