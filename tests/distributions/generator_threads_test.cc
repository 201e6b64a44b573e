#include "distributions/generator_threads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/console_lines.h"
#include "distributions/discretisation.h"

namespace linprob {
namespace {

using testing_support::countLines;
using testing_support::numbersAfter;
using testing_support::splitLines;

// Cell m of entry i has the value 100 i + m, so a job's right-hand side names
// its combination, and a probability that makes every product round.
RectangleTable labelledTable(unsigned n, int cellCount) {
  RectangleTable table(static_cast<std::size_t>(cellCount),
                       std::vector<SampleRectangle>(n));
  for (int m = 0; m < cellCount; ++m) {
    for (unsigned i = 0; i < n; ++i) {
      SampleRectangle& cell = table[static_cast<std::size_t>(m)][i];
      cell.value = 100.0 * i + m;
      cell.probability = 1.0 / (3.0 + m + 7.0 * i);
    }
  }
  return table;
}

double productInEntryOrder(const RectangleTable& table,
                           const std::vector<int>& indices) {
  double probability = 1.0;
  for (std::size_t i = 0; i < indices.size(); ++i) {
    probability = probability *
                  table[static_cast<std::size_t>(indices[i])][i].probability;
  }
  return probability;
}

struct Job {
  std::vector<int> indices;
  double probability = 0.0;
};

struct GeneratorRun {
  std::vector<Job> jobs;  // in queue order
  std::vector<std::string> lines;
  std::size_t blocks = 0;
};

// Pops every block up to the stopper and unpacks its jobs.
void drain(BlockQueue& queue, unsigned n, GeneratorRun& run) {
  while (std::unique_ptr<JobBlock> block = queue.pop()) {
    ++run.blocks;
    for (std::size_t j = 0; j < block->count; ++j) {
      Job job;
      for (unsigned i = 0; i < n; ++i) {
        job.indices.push_back(static_cast<int>(block->entry(i)[j] - 100.0 * i));
      }
      job.probability = block->probabilities[j];
      run.jobs.push_back(job);
    }
    queue.recycle(std::move(block));
  }
}

// Runs the generators with no consumer (the phases here fit under the
// queue's bound), then takes everything they pushed.
GeneratorRun generate(const EnumerationJobs& jobs, int threads) {
  GeneratorRun run;
  BlockQueue queue(jobs.n);
  testing::internal::CaptureStdout();
  runGenerators(queue, jobs, threads);
  run.lines = splitLines(testing::internal::GetCapturedStdout());
  queue.pushStopper();
  testing::internal::CaptureStdout();
  drain(queue, jobs.n, run);
  testing::internal::GetCapturedStdout();
  queue.removeStopper();
  EXPECT_TRUE(queue.empty());
  return run;
}

TEST(GeneratorThreadsTest, OneThreadProducesTheCombinationsInLexicographicOrder) {
  const EnumerationJobs jobs{2, labelledTable(2, 3)};
  const GeneratorRun run = generate(jobs, 1);
  ASSERT_EQ(run.jobs.size(), 9u);
  std::size_t k = 0;
  for (int p = 0; p < 3; ++p) {
    for (int q = 0; q < 3; ++q, ++k) {
      EXPECT_EQ(run.jobs[k].indices, (std::vector<int>{p, q}));
      EXPECT_EQ(run.jobs[k].probability,
                jobs.cells[p][0].probability * jobs.cells[q][1].probability);
    }
  }
  // One block per prefix.
  EXPECT_EQ(run.blocks, 3u);
  EXPECT_EQ(run.lines, (std::vector<std::string>{"Generator Thread Started!",
                                                 "Generator thread stopping!"}));
}

TEST(GeneratorThreadsTest, SingleEntryGivesOneJobPerCell) {
  const EnumerationJobs jobs{1, labelledTable(1, 4)};
  const GeneratorRun run = generate(jobs, 2);
  ASSERT_EQ(run.jobs.size(), 4u);
  std::vector<int> seen(4, 0);
  for (const Job& job : run.jobs) {
    ASSERT_EQ(job.indices.size(), 1u);
    const int m = job.indices[0];
    ++seen[static_cast<std::size_t>(m)];
    EXPECT_EQ(job.probability, jobs.cells[m][0].probability);
  }
  EXPECT_EQ(seen, std::vector<int>(4, 1));
}

// Checks that every combination came exactly once with its product, and
// that each prefix's jobs kept their order (one thread completes a prefix).
void expectEveryCombinationOnce(const EnumerationJobs& jobs,
                                const GeneratorRun& run) {
  ASSERT_EQ(run.jobs.size(), jobs.jobCount());
  std::map<std::vector<int>, int> counts;
  std::map<int, std::vector<int>> lastOfPrefix;
  for (const Job& job : run.jobs) {
    ++counts[job.indices];
    EXPECT_EQ(job.probability, productInEntryOrder(jobs.cells, job.indices));
    auto last = lastOfPrefix.find(job.indices[0]);
    if (last != lastOfPrefix.end()) {
      EXPECT_LT(last->second, job.indices);
    }
    lastOfPrefix[job.indices[0]] = job.indices;
  }
  EXPECT_EQ(counts.size(), jobs.jobCount());
  for (const auto& [indices, count] : counts) {
    EXPECT_EQ(count, 1);
  }
}

TEST(GeneratorThreadsTest, AnyNumberOfThreadsProducesEveryCombinationOnce) {
  // 1089 jobs per prefix: each prefix is a full block and a short one; the
  // 35937 jobs fit under the bound, so no consumer is needed.
  constexpr std::size_t kCells = 33;
  static_assert(kCells * kCells > kBlockJobs &&
                kCells * kCells < 2 * kBlockJobs);
  const EnumerationJobs jobs{3, labelledTable(3, kCells)};
  for (int threads : {1, 3, 5}) {
    SCOPED_TRACE(threads);
    const GeneratorRun run = generate(jobs, threads);
    expectEveryCombinationOnce(jobs, run);
    EXPECT_EQ(run.blocks, 2 * kCells);
    EXPECT_EQ(countLines(run.lines, "Generator Thread Started!"),
              static_cast<std::size_t>(threads));
    EXPECT_EQ(countLines(run.lines, "Generator thread stopping!"),
              static_cast<std::size_t>(threads));
    EXPECT_EQ(run.lines.size(), 2u * static_cast<std::size_t>(threads));
  }
}

TEST(GeneratorThreadsTest, SurplusThreadsStopAtOnce) {
  // Five threads for three prefixes.
  const EnumerationJobs jobs{2, labelledTable(2, 3)};
  const GeneratorRun run = generate(jobs, 5);
  expectEveryCombinationOnce(jobs, run);
  EXPECT_EQ(countLines(run.lines, "Generator Thread Started!"), 5u);
  EXPECT_EQ(countLines(run.lines, "Generator thread stopping!"), 5u);
}

TEST(GeneratorThreadsTest, NoThreadsOrNoCellsPushNothing) {
  const GeneratorRun none = generate(EnumerationJobs{2, labelledTable(2, 3)}, 0);
  EXPECT_TRUE(none.jobs.empty());
  EXPECT_EQ(none.blocks, 0u);
  EXPECT_TRUE(none.lines.empty());

  const EnumerationJobs empty{2, uniformCells(2, 0, {0.0, 0.0}, {1.0, 1.0})};
  const GeneratorRun noCells = generate(empty, 2);
  EXPECT_EQ(noCells.blocks, 0u);
  EXPECT_EQ(countLines(noCells.lines, "Generator thread stopping!"), 2u);
}

TEST(GeneratorThreadsTest, EnumeratedProbabilitiesSumToOne) {
  const EnumerationJobs jobs{
      2, triangularCells(2, 4, {0.0, 10.0}, {4.0, 14.0})};
  const GeneratorRun run = generate(jobs, 2);
  ASSERT_EQ(run.jobs.size(), 16u);
  double total = 0.0;
  for (const Job& job : run.jobs) {
    total += job.probability;
  }
  EXPECT_NEAR(total, 1.0, 1e-15);
}

// A phase of 62,500 jobs on a queue bounded at 1024 jobs whose consumer
// starts late: the generators nap until it drains, and every job still
// arrives exactly once.
TEST(GeneratorBackOffTest, SlowConsumerMakesGeneratorsNap) {
  constexpr std::size_t kBound = 1024;
  const EnumerationJobs jobs{2, uniformCells(2, 250, {0.0, 0.0}, {1.0, 1.0})};
  BlockQueue queue(2, kBound);
  GeneratorRun run;
  std::thread consumer([&] {
    while (queue.queuedJobs() <= kBound) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    drain(queue, 2, run);
  });
  testing::internal::CaptureStdout();
  runGenerators(queue, jobs, 2);
  queue.pushStopper();
  consumer.join();
  const auto lines = splitLines(testing::internal::GetCapturedStdout());

  EXPECT_EQ(run.jobs.size(), 62500u);
  EXPECT_EQ(run.blocks, 250u);
  const auto naps = numbersAfter(lines, "Generator thread taking a nap at ");
  const auto wakes =
      numbersAfter(lines, "Generator thread waking up! Jobs left...");
  EXPECT_GE(naps.size(), 1u);
  EXPECT_EQ(naps.size(), wakes.size());
  for (std::size_t queued : naps) {
    // Two generators: each may have pushed one block past the bound.
    EXPECT_GT(queued, kBound);
    EXPECT_LE(queued, kBound + 2 * kBlockJobs);
  }
  EXPECT_EQ(countLines(lines, "Stopper inserted"), 1u);
  EXPECT_EQ(countLines(lines, "Stopper found."), 1u);
  queue.removeStopper();
  EXPECT_TRUE(queue.empty());
}

}  // namespace
}  // namespace linprob
