#include "distributions/job_queue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "distributions/queue_consumer.h"

namespace linprob {
namespace {

using testing_support::ConsumerLog;
using testing_support::consumeUntilStopper;
using testing_support::countLines;
using testing_support::splitLines;

TEST(JobQueueTest, OnlyProbabilityMinusOneMarksTheStopper) {
  EXPECT_TRUE(isStopper(ProbInstance{}));
  ProbInstance job;
  job.probability = 0.0;
  EXPECT_FALSE(isStopper(job));
  job.probability = -1.0 + 1e-15;
  EXPECT_FALSE(isStopper(job));
  job.probability = -1.0;
  job.rhs = {1.0, 2.0};  // the right-hand side plays no part
  EXPECT_TRUE(isStopper(job));
}

TEST(JobQueueTest, StopperGoesBehindTheJobsAndIsAnnouncedOnce) {
  JobQueue jobs;
  pushJob(jobs, ProbInstance{{1.0}, 0.5});
  pushJob(jobs, ProbInstance{{2.0}, 0.25});
  testing::internal::CaptureStdout();
  insertStopper(jobs);
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_EQ(output, "Stopper inserted\n");
  ASSERT_EQ(jobs.size(), 3u);
  EXPECT_EQ(jobs[0].rhs, std::vector<double>{1.0});
  EXPECT_EQ(jobs[1].rhs, std::vector<double>{2.0});
  EXPECT_TRUE(isStopper(jobs.back()));
}

TEST(JobQueueTest, WaitingConsumersWakeForJobsAndAllEndOnOneStopper) {
  JobQueue jobs;
  std::vector<ConsumerLog> logs(3);
  std::vector<std::thread> consumers;
  for (auto& log : logs) {
    consumers.emplace_back(consumeUntilStopper, std::ref(jobs),
                           std::ref(log));
  }
  // Give the consumers time to block on the empty queue, so that only the
  // notifications can wake them.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  for (int k = 0; k < 100; ++k) {
    pushJob(jobs, ProbInstance{{static_cast<double>(k)}, 0.01});
  }
  testing::internal::CaptureStdout();
  insertStopper(jobs);
  for (auto& consumer : consumers) {
    consumer.join();
  }
  const auto lines = splitLines(testing::internal::GetCapturedStdout());
  EXPECT_EQ(countLines(lines, "Stopper inserted"), 1u);

  // Every job was taken exactly once, each consumer in push order.
  std::vector<int> seen(100, 0);
  for (const auto& log : logs) {
    double previous = -1.0;
    for (const auto& job : log.taken) {
      ASSERT_EQ(job.rhs.size(), 1u);
      EXPECT_GT(job.rhs[0], previous);
      previous = job.rhs[0];
      ++seen[static_cast<std::size_t>(job.rhs[0])];
    }
  }
  EXPECT_EQ(seen, std::vector<int>(100, 1));
  // The single stopper ended all three and is still there for the driver.
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_TRUE(isStopper(jobs.front()));
}

TEST(JobQueueTest, ConsumerBlockedOnAnEmptyQueueEndsWhenOnlyTheStopperComes) {
  JobQueue jobs;
  ConsumerLog log;
  std::thread consumer(consumeUntilStopper, std::ref(jobs), std::ref(log));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  testing::internal::CaptureStdout();
  insertStopper(jobs);
  consumer.join();
  testing::internal::GetCapturedStdout();
  EXPECT_TRUE(log.taken.empty());
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_TRUE(isStopper(jobs.front()));
}

}  // namespace
}  // namespace linprob
