#include "distributions/generator_threads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "distributions/discretisation.h"
#include "support/console_lines.h"

namespace linprob {
namespace {

using testing_support::countLines;
using testing_support::numbersAfter;
using testing_support::splitLines;

struct GeneratorRun {
  std::vector<JobChunk> chunks;  // in queue order
  std::vector<std::string> lines;
};

void drain(ChunkQueue& queue, GeneratorRun& run) {
  while (const std::optional<JobChunk> chunk = queue.pop()) {
    run.chunks.push_back(*chunk);
  }
}

// Runs the generators with no consumer (on a queue bounded by the phase's
// jobs, so that they never nap), then takes everything they pushed.
GeneratorRun generate(const EnumerationJobs& jobs, int threads,
                      ChunkShare share = {}) {
  GeneratorRun run;
  ChunkQueue queue(jobs.jobCount());
  testing::internal::CaptureStdout();
  runGenerators(queue, jobs, threads, {}, share);
  run.lines = splitLines(testing::internal::GetCapturedStdout());
  queue.pushStopper();
  testing::internal::CaptureStdout();
  drain(queue, run);
  testing::internal::GetCapturedStdout();
  queue.removeStopper();
  EXPECT_TRUE(queue.empty());
  return run;
}

EnumerationJobs uniformJobs(unsigned n, int cells) {
  return EnumerationJobs{n, uniformCells(n, cells, std::vector<double>(n, 0.0),
                                         std::vector<double>(n, 1.0))};
}

// Every chunk of the plan exactly once, with its number of jobs, and the
// jobs of all chunks adding up to the phase's.
void expectEveryChunkOnce(const EnumerationJobs& jobs,
                          const GeneratorRun& run) {
  const ChunkPlan plan = jobs.chunkPlan();
  ASSERT_EQ(run.chunks.size(), plan.chunks);
  std::vector<int> seen(plan.chunks, 0);
  std::uint64_t total = 0;
  for (const JobChunk& chunk : run.chunks) {
    ASSERT_LT(chunk.index, plan.chunks);
    ++seen[chunk.index];
    EXPECT_EQ(chunk.jobs, jobs.chunkJobs(chunk.index));
    total += chunk.jobs;
  }
  EXPECT_EQ(seen, std::vector<int>(plan.chunks, 1));
  EXPECT_EQ(total, jobs.jobCount());
}

TEST(GeneratorThreadsTest, OneThreadPushesTheChunksInOrder) {
  // 40^4 jobs: one chunk per prefix.
  const EnumerationJobs jobs = uniformJobs(4, 40);
  const GeneratorRun run = generate(jobs, 1);
  expectEveryChunkOnce(jobs, run);
  ASSERT_EQ(run.chunks.size(), 40u);
  for (std::size_t c = 0; c < run.chunks.size(); ++c) {
    EXPECT_EQ(run.chunks[c].index, c);
    EXPECT_EQ(run.chunks[c].jobs, 64000u);
  }
  EXPECT_EQ(run.lines, (std::vector<std::string>{"Generator Thread Started!",
                                                 "Generator thread stopping!"}));
}

TEST(GeneratorThreadsTest, AnyNumberOfThreadsPushesEveryChunkOnce) {
  const EnumerationJobs jobs = uniformJobs(3, 33);
  for (int threads : {1, 3, 5}) {
    SCOPED_TRACE(threads);
    const GeneratorRun run = generate(jobs, threads);
    expectEveryChunkOnce(jobs, run);
    EXPECT_EQ(countLines(run.lines, "Generator Thread Started!"),
              static_cast<std::size_t>(threads));
    EXPECT_EQ(countLines(run.lines, "Generator thread stopping!"),
              static_cast<std::size_t>(threads));
    EXPECT_EQ(run.lines.size(), 2u * static_cast<std::size_t>(threads));
  }
}

// A process's share of the phase: its chunks only (c mod 3 == rank), in
// increasing order with one thread; the three shares make the whole phase.
TEST(GeneratorThreadsTest, ASharePushesItsOwnChunksOnly) {
  const EnumerationJobs jobs = uniformJobs(4, 40);
  std::vector<int> seen(40, 0);
  for (int rank = 0; rank < 3; ++rank) {
    const GeneratorRun run = generate(jobs, 1, ChunkShare{rank, 3});
    std::vector<std::size_t> indices;
    for (const JobChunk& chunk : run.chunks) {
      indices.push_back(chunk.index);
      ++seen[chunk.index];
      EXPECT_EQ(chunk.jobs, 64000u);
    }
    std::vector<std::size_t> expected;
    for (std::size_t c = static_cast<std::size_t>(rank); c < 40; c += 3) {
      expected.push_back(c);
    }
    EXPECT_EQ(indices, expected);
  }
  EXPECT_EQ(seen, std::vector<int>(40, 1));
  // More processes than chunks: the surplus ones push nothing.
  EXPECT_TRUE(generate(uniformJobs(2, 3), 2, ChunkShare{1, 2}).chunks.empty());
}

TEST(GeneratorThreadsTest, SurplusThreadsStopAtOnce) {
  // A small phase is one chunk; five threads share it.
  const EnumerationJobs jobs = uniformJobs(2, 3);
  const GeneratorRun run = generate(jobs, 5);
  expectEveryChunkOnce(jobs, run);
  EXPECT_EQ(run.chunks.size(), 1u);
  EXPECT_EQ(countLines(run.lines, "Generator Thread Started!"), 5u);
  EXPECT_EQ(countLines(run.lines, "Generator thread stopping!"), 5u);
}

TEST(GeneratorThreadsTest, NoThreadsOrNoCellsPushNothing) {
  const GeneratorRun none = generate(uniformJobs(2, 3), 0);
  EXPECT_TRUE(none.chunks.empty());
  EXPECT_TRUE(none.lines.empty());

  const GeneratorRun noCells = generate(uniformJobs(2, 0), 2);
  EXPECT_TRUE(noCells.chunks.empty());
  EXPECT_EQ(countLines(noCells.lines, "Generator thread stopping!"), 2u);
}

// A phase of 40 chunks on a queue bounded at 100,000 jobs whose consumer
// starts late: the generators nap until it drains, and every chunk still
// arrives exactly once.
TEST(GeneratorBackOffTest, SlowConsumerMakesGeneratorsNap) {
  constexpr std::size_t kBound = 100000;
  const EnumerationJobs jobs = uniformJobs(4, 40);
  ChunkQueue queue(kBound);
  GeneratorRun run;
  std::thread consumer([&] {
    while (queue.queuedJobs() <= kBound) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    drain(queue, run);
  });
  testing::internal::CaptureStdout();
  runGenerators(queue, jobs, 2);
  queue.pushStopper();
  consumer.join();
  const auto lines = splitLines(testing::internal::GetCapturedStdout());

  expectEveryChunkOnce(jobs, run);
  const auto naps = numbersAfter(lines, "Generator thread taking a nap at ");
  const auto wakes =
      numbersAfter(lines, "Generator thread waking up! Jobs left...");
  EXPECT_GE(naps.size(), 1u);
  EXPECT_EQ(naps.size(), wakes.size());
  for (std::size_t queued : naps) {
    // Two generators: each may have pushed one chunk past the bound.
    EXPECT_GT(queued, kBound);
    EXPECT_LE(queued, kBound + 2 * 64000);
  }
  EXPECT_EQ(countLines(lines, "Stopper inserted"), 1u);
  EXPECT_EQ(countLines(lines, "Stopper found."), 1u);
  queue.removeStopper();
  EXPECT_TRUE(queue.empty());
}

}  // namespace
}  // namespace linprob
