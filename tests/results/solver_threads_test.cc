#include "results/solver_threads.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "distributions/job_queue.h"
#include "linear/linear_system.h"

namespace linprob {
namespace {

// A x = b with A = [[2, 1], [1, 1]] (stored by columns). Job k has the right
// side (4k, 3k), whose solution is x = (k, 2k), exact in doubles: every
// solved sample names the job it came from.
LinearSystem identifyingSystem() {
  LinearSystem system(2);
  system.matrix = {{2.0, 1.0}, {1.0, 1.0}};
  system.eliminate(true, false);
  return system;
}

int countLines(const std::string& text, const std::string& line) {
  int count = 0;
  std::size_t at = 0;
  const std::string needle = line + "\n";
  while ((at = text.find(needle, at)) != std::string::npos) {
    if (at == 0 || text[at - 1] == '\n') ++count;
    at += needle.size();
  }
  return count;
}

class SolverThreadsTest : public testing::TestWithParam<int> {};

// Solvers start first and wait; the test thread then produces, so the jobs
// and the stopper reach threads that are blocked on an empty queue.
TEST_P(SolverThreadsTest, SolvesEveryJobOnceAndKeepsSamplesOfAJobTogether) {
  const int threadCount = GetParam();
  const LinearSystem system = identifyingSystem();
  JobQueue jobs;
  SampleTable results(5, std::vector<SampleRectangle>(3));  // stale content
  std::vector<std::thread> threads;
  constexpr int kJobs = 2000;

  testing::internal::CaptureStdout();
  startSolvers(jobs, system, threadCount, results, threads);
  EXPECT_EQ(threads.size(), static_cast<std::size_t>(threadCount));
  double totalProbability = 0.0;
  for (int k = 0; k < kJobs; ++k) {
    const double kk = k;
    const double probability = 1.0 / 1024.0 * (k % 7);
    totalProbability += probability;
    pushJob(jobs, ProbInstance{{4.0 * kk, 3.0 * kk}, probability});
  }
  insertStopper(jobs);
  joinSolvers(jobs, threads);
  const std::string out = testing::internal::GetCapturedStdout();

  EXPECT_TRUE(jobs.empty());
  EXPECT_TRUE(threads.empty());
  EXPECT_EQ(countLines(out, "Solver Thread Started!"), threadCount);
  EXPECT_EQ(countLines(out, "Stopper found."), threadCount);
  EXPECT_EQ(countLines(out, "Stopper inserted"), 1);
  EXPECT_EQ(out.find("I have solved"), std::string::npos);

  ASSERT_EQ(results.size(), 2u);
  ASSERT_EQ(results[0].size(), static_cast<std::size_t>(kJobs));
  ASSERT_EQ(results[1].size(), static_cast<std::size_t>(kJobs));
  std::set<double> seen;
  double sum0 = 0.0;
  double sum1 = 0.0;
  for (int j = 0; j < kJobs; ++j) {
    const SampleRectangle& x0 = results[0][j];
    const SampleRectangle& x1 = results[1][j];
    // Both samples come from the job k = x0: x1 = 2k, probability (k % 7).
    EXPECT_EQ(x1.value, 2.0 * x0.value);
    const int k = static_cast<int>(x0.value);
    EXPECT_EQ(x0.probability, 1.0 / 1024.0 * (k % 7));
    EXPECT_EQ(x1.probability, x0.probability);
    seen.insert(x0.value);
    sum0 += x0.probability;
    sum1 += x1.probability;
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kJobs));
  EXPECT_EQ(*seen.begin(), 0.0);
  EXPECT_EQ(*seen.rbegin(), kJobs - 1.0);
  // Multiples of 1/1024 below 2^20 add exactly in any order.
  EXPECT_EQ(sum0, totalProbability);
  EXPECT_EQ(sum1, totalProbability);
}

INSTANTIATE_TEST_SUITE_P(ThreadCounts, SolverThreadsTest,
                         testing::Values(1, 2, 3));

TEST(SolverThreads, PhaseWithOnlyTheStopperEndsEverySolver) {
  const LinearSystem system = identifyingSystem();
  JobQueue jobs;
  SampleTable results;
  std::vector<std::thread> threads;

  testing::internal::CaptureStdout();
  insertStopper(jobs);
  startSolvers(jobs, system, 3, results, threads);
  // Join by hand to look at the queue before joinSolvers removes the stopper.
  for (std::thread& thread : threads) thread.join();
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_TRUE(isStopper(jobs.front()));
  threads.clear();
  joinSolvers(jobs, threads);
  const std::string out = testing::internal::GetCapturedStdout();

  EXPECT_TRUE(jobs.empty());
  EXPECT_EQ(countLines(out, "Stopper found."), 3);
  EXPECT_EQ(countLines(out, "Solver Thread Started!"), 3);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_TRUE(results[0].empty());
  EXPECT_TRUE(results[1].empty());
}

TEST(SolverThreads, ReportsProgressOncePerFiftyThousandJobs) {
  LinearSystem system(1);
  system.matrix = {{1.0}};
  system.eliminate(false, false);
  JobQueue jobs;
  for (int k = 0; k < 100000; ++k) jobs.push_back(ProbInstance{{1.0}, 1e-5});
  jobs.push_back(ProbInstance{});
  SampleTable results;
  std::vector<std::thread> threads;

  testing::internal::CaptureStdout();
  startSolvers(jobs, system, 2, results, threads);
  joinSolvers(jobs, threads);
  const std::string out = testing::internal::GetCapturedStdout();

  EXPECT_EQ(countLines(out, "I have solved 50000 jobs already!"), 1);
  EXPECT_EQ(countLines(out, "I have solved 100000 jobs already!"), 1);
  EXPECT_EQ(countLines(out, "Stopper found."), 2);
  std::size_t progressLines = 0;
  for (std::size_t at = out.find("I have solved"); at != std::string::npos;
       at = out.find("I have solved", at + 1)) {
    ++progressLines;
  }
  EXPECT_EQ(progressLines, 2u);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].size(), 100000u);
  EXPECT_TRUE(jobs.empty());
}

}  // namespace
}  // namespace linprob
