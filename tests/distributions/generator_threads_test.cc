#include "distributions/generator_threads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstddef>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "distributions/discretisation.h"
#include "distributions/queue_consumer.h"

namespace linprob {
namespace {

using testing_support::ConsumerLog;
using testing_support::consumeUntilStopper;
using testing_support::countLines;
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

std::vector<int> combinationOf(const ProbInstance& job) {
  std::vector<int> indices;
  for (std::size_t i = 0; i < job.rhs.size(); ++i) {
    indices.push_back(static_cast<int>(job.rhs[i] - 100.0 * i));
  }
  return indices;
}

double productInEntryOrder(const RectangleTable& table,
                           const std::vector<int>& indices) {
  double probability = 1.0;
  for (std::size_t i = 0; i < indices.size(); ++i) {
    probability =
        probability * table[static_cast<std::size_t>(indices[i])][i].probability;
  }
  return probability;
}

struct GeneratorRun {
  JobQueue jobs;
  std::vector<std::string> lines;
};

GeneratorRun generate(const RectangleTable& table, unsigned n, int threads) {
  GeneratorRun run;
  testing::internal::CaptureStdout();
  runGenerators(run.jobs, table, n, threads);
  run.lines = splitLines(testing::internal::GetCapturedStdout());
  return run;
}

TEST(GeneratorThreadsTest, OneThreadProducesTheCombinationsInLexicographicOrder) {
  const RectangleTable table = labelledTable(2, 3);
  const GeneratorRun run = generate(table, 2, 1);
  ASSERT_EQ(run.jobs.size(), 9u);
  std::size_t k = 0;
  for (int p = 0; p < 3; ++p) {
    for (int q = 0; q < 3; ++q, ++k) {
      const ProbInstance& job = run.jobs[k];
      EXPECT_EQ(job.rhs, (std::vector<double>{table[p][0].value,
                                              table[q][1].value}));
      EXPECT_EQ(job.probability,
                table[p][0].probability * table[q][1].probability);
    }
  }
  EXPECT_EQ(run.lines, (std::vector<std::string>{"Generator Thread Started!",
                                                 "Generator thread stopping!"}));
}

TEST(GeneratorThreadsTest, SingleEntryGivesOneJobPerCell) {
  const RectangleTable table = labelledTable(1, 4);
  const GeneratorRun run = generate(table, 1, 2);
  ASSERT_EQ(run.jobs.size(), 4u);
  std::vector<int> seen(4, 0);
  for (const ProbInstance& job : run.jobs) {
    ASSERT_EQ(job.rhs.size(), 1u);
    const int m = combinationOf(job)[0];
    ++seen[static_cast<std::size_t>(m)];
    EXPECT_EQ(job.probability, table[m][0].probability);
  }
  EXPECT_EQ(seen, std::vector<int>(4, 1));
}

TEST(GeneratorThreadsTest, SeveralThreadsProduceEveryCombinationExactlyOnce) {
  const unsigned n = 3;
  const int cellCount = 4;
  const RectangleTable table = labelledTable(n, cellCount);
  for (int threads : {3, 5}) {
    const GeneratorRun run = generate(table, n, threads);
    ASSERT_EQ(run.jobs.size(), 64u) << threads;
    std::map<std::vector<int>, int> counts;
    // A prefix is completed by one thread, so its jobs keep their order.
    std::map<int, std::vector<int>> lastOfPrefix;
    for (const ProbInstance& job : run.jobs) {
      const std::vector<int> indices = combinationOf(job);
      ++counts[indices];
      EXPECT_EQ(job.probability, productInEntryOrder(table, indices));
      auto last = lastOfPrefix.find(indices[0]);
      if (last != lastOfPrefix.end()) {
        EXPECT_LT(last->second, indices);
      }
      lastOfPrefix[indices[0]] = indices;
    }
    EXPECT_EQ(counts.size(), 64u);
    for (const auto& [indices, count] : counts) {
      EXPECT_EQ(count, 1);
    }
    // Five threads for four prefixes: the surplus one stops at once.
    EXPECT_EQ(countLines(run.lines, "Generator Thread Started!"),
              static_cast<std::size_t>(threads));
    EXPECT_EQ(countLines(run.lines, "Generator thread stopping!"),
              static_cast<std::size_t>(threads));
    EXPECT_EQ(run.lines.size(), 2u * static_cast<std::size_t>(threads));
  }
}

TEST(GeneratorThreadsTest, NoThreadsProduceNothing) {
  const RectangleTable table = labelledTable(2, 3);
  const GeneratorRun run = generate(table, 2, 0);
  EXPECT_TRUE(run.jobs.empty());
  EXPECT_TRUE(run.lines.empty());

  JobQueue jobs;
  testing::internal::CaptureStdout();
  enumerateUniform(jobs, 2, 3, {0.0, 0.0}, {1.0, 1.0}, 0);
  testing::internal::GetCapturedStdout();
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_TRUE(isStopper(jobs.front()));
}

TEST(GeneratorThreadsTest, CompletesAGivenPartialCombination) {
  const RectangleTable table = labelledTable(3, 2);
  JobQueue jobs;
  enumerateCombinations(jobs, table, 2, 3, {1, 0, 0});
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(combinationOf(jobs[0]), (std::vector<int>{1, 0, 0}));
  EXPECT_EQ(combinationOf(jobs[1]), (std::vector<int>{1, 0, 1}));
}

// A phase of 62,500 jobs whose consumer starts only once the queue is full:
// the generators nap until it drains, and the queue never holds more than
// one job above the bound.
TEST(GeneratorBackOffTest, FullQueueMakesGeneratorsNapUntilItDrains) {
  const int cellCount = 250;
  const RectangleTable table =
      uniformCells(2, cellCount, {0.0, 0.0}, {1.0, 1.0});
  JobQueue jobs;
  ConsumerLog log;
  std::thread consumer([&jobs, &log] {
    while (true) {
      {
        std::lock_guard<std::mutex> lock(jobsMutex);
        if (jobs.size() > kQueueBackOffSize) {
          break;
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Leave the generators time to find the queue full and nap.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    consumeUntilStopper(jobs, log);
  });
  testing::internal::CaptureStdout();
  runGenerators(jobs, table, 2, 2);
  insertStopper(jobs);
  consumer.join();
  const auto lines = splitLines(testing::internal::GetCapturedStdout());

  EXPECT_EQ(log.taken.size(), 62500u);
  EXPECT_EQ(log.mostJobsQueued, kQueueBackOffSize + 1);
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_TRUE(isStopper(jobs.front()));

  std::size_t naps = 0;
  std::size_t wakes = 0;
  const std::string wakePrefix = "Generator thread waking up! Jobs left...";
  for (const std::string& line : lines) {
    if (line.rfind("Generator thread taking a nap", 0) == 0) {
      // A generator can only ever find the queue one above the bound.
      EXPECT_EQ(line, "Generator thread taking a nap at 50001 jobs.");
      ++naps;
    } else if (line.rfind(wakePrefix, 0) == 0) {
      const std::string size = line.substr(wakePrefix.size());
      EXPECT_FALSE(size.empty());
      EXPECT_EQ(size.find_first_not_of("0123456789"), std::string::npos)
          << line;
      ++wakes;
    }
  }
  EXPECT_GE(naps, 1u);
  EXPECT_EQ(naps, wakes);
  EXPECT_EQ(countLines(lines, "Stopper inserted"), 1u);
}

}  // namespace
}  // namespace linprob
