#include "distributions/block_queue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/console_lines.h"

namespace linprob {
namespace {

using testing_support::countLines;
using testing_support::numbersAfter;
using testing_support::splitLines;

const std::string kNap = "Generator thread taking a nap at ";
const std::string kWake = "Generator thread waking up! Jobs left...";

// Pushes a block of `count` jobs whose first value is `label`.
void pushLabelled(BlockQueue& queue, double label, std::size_t count) {
  std::unique_ptr<JobBlock> block = queue.takeFree();
  block->count = count;
  block->entry(0)[0] = label;
  queue.push(std::move(block));
}

// Pops until the stopper, the way a solver thread does, noting each block's
// label and giving the block back.
void consume(BlockQueue& queue, std::vector<double>& labels) {
  while (std::unique_ptr<JobBlock> block = queue.pop()) {
    labels.push_back(block->entry(0)[0]);
    queue.recycle(std::move(block));
  }
}

TEST(BlockQueueTest, RecycledBlocksAreReusedInsteadOfAllocated) {
  BlockQueue queue(3);
  std::unique_ptr<JobBlock> block = queue.takeFree();
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->values.size(), 3 * kBlockJobs);
  EXPECT_EQ(block->probabilities.size(), kBlockJobs);
  block->count = 17;
  JobBlock* const address = block.get();
  queue.recycle(std::move(block));
  std::unique_ptr<JobBlock> again = queue.takeFree();
  EXPECT_EQ(again.get(), address);
  EXPECT_EQ(again->count, 0u);
  std::unique_ptr<JobBlock> fresh = queue.takeFree();
  EXPECT_NE(fresh.get(), address);
}

TEST(BlockQueueTest, OneStopperEndsEveryConsumerAndStaysUntilRemoved) {
  BlockQueue queue(1);
  std::vector<std::vector<double>> labels(3);
  std::vector<std::thread> consumers;
  for (auto& taken : labels) {
    consumers.emplace_back(consume, std::ref(queue), std::ref(taken));
  }
  // Give the consumers time to block on the empty queue, so that only the
  // notifications can wake them.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  testing::internal::CaptureStdout();
  for (int k = 0; k < 100; ++k) {
    pushLabelled(queue, k, 10);
  }
  queue.pushStopper();
  for (auto& consumer : consumers) {
    consumer.join();
  }
  const auto lines = splitLines(testing::internal::GetCapturedStdout());
  EXPECT_EQ(countLines(lines, "Stopper inserted"), 1u);
  EXPECT_EQ(countLines(lines, "Stopper found."), 3u);
  EXPECT_EQ(lines.size(), 4u);

  // Every block taken exactly once, each consumer in push order.
  std::vector<int> seen(100, 0);
  for (const auto& taken : labels) {
    EXPECT_TRUE(std::is_sorted(taken.begin(), taken.end()));
    for (double label : taken) {
      ++seen[static_cast<std::size_t>(label)];
    }
  }
  EXPECT_EQ(seen, std::vector<int>(100, 1));
  EXPECT_EQ(queue.queuedJobs(), 0u);
  EXPECT_FALSE(queue.empty());
  queue.removeStopper();
  EXPECT_TRUE(queue.empty());
}

TEST(BlockQueueTest, ConsumerWaitingOnAnEmptyQueueWakesOnTheStopper) {
  BlockQueue queue(2);
  std::vector<double> labels;
  testing::internal::CaptureStdout();
  std::thread consumer(consume, std::ref(queue), std::ref(labels));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  queue.pushStopper();
  consumer.join();
  const auto lines = splitLines(testing::internal::GetCapturedStdout());
  EXPECT_TRUE(labels.empty());
  EXPECT_EQ(countLines(lines, "Stopper inserted"), 1u);
  EXPECT_EQ(countLines(lines, "Stopper found."), 1u);
  EXPECT_EQ(lines.size(), 2u);
  // A later pop meets the same stopper.
  testing::internal::CaptureStdout();
  EXPECT_EQ(queue.pop(), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Stopper found.\n");
  queue.removeStopper();
  EXPECT_TRUE(queue.empty());
}

TEST(BlockQueueTest, ProducerNapsOnlyOnceMoreThanTheBoundIsQueued) {
  // Exactly at the bound the producer still pushes: five full blocks on a
  // bound of four pass without a nap and end one block above it.
  constexpr std::size_t kBound = 4 * kBlockJobs;
  BlockQueue queue(1, kBound);
  testing::internal::CaptureStdout();
  for (int k = 0; k < 5; ++k) {
    pushLabelled(queue, k, kBlockJobs);
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(queue.queuedJobs(), kBound + kBlockJobs);
}

// A consumer that starts only once the queue is over its bound: the producer
// naps until the queue has drained to half the bound, and the queue never
// holds more than the bound plus one block.
TEST(BlockQueueTest, SlowConsumerMakesTheProducerNapWithinTheBound) {
  constexpr std::size_t kBound = 1024;
  constexpr int kBlocks = 60;
  BlockQueue queue(1, kBound);
  std::vector<double> labels;
  std::atomic<std::size_t> mostQueued{0};
  std::thread consumer([&] {
    while (queue.queuedJobs() <= kBound) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // Leave the producer time to find the queue full and nap.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    while (std::unique_ptr<JobBlock> block = queue.pop()) {
      labels.push_back(block->entry(0)[0]);
      queue.recycle(std::move(block));
    }
  });
  testing::internal::CaptureStdout();
  for (int k = 0; k < kBlocks; ++k) {
    pushLabelled(queue, k, 200);
    mostQueued = std::max(mostQueued.load(), queue.queuedJobs());
  }
  queue.pushStopper();
  consumer.join();
  const auto lines = splitLines(testing::internal::GetCapturedStdout());

  ASSERT_EQ(labels.size(), static_cast<std::size_t>(kBlocks));
  for (int k = 0; k < kBlocks; ++k) {
    EXPECT_EQ(labels[static_cast<std::size_t>(k)], k);
  }
  EXPECT_GT(mostQueued.load(), kBound);
  EXPECT_LE(mostQueued.load(), kBound + kBlockJobs);

  const auto naps = numbersAfter(lines, kNap);
  const auto wakes = numbersAfter(lines, kWake);
  ASSERT_GE(naps.size(), 1u);
  EXPECT_EQ(naps.size(), wakes.size());
  for (std::size_t k = 0; k < naps.size(); ++k) {
    EXPECT_GT(naps[k], kBound);
    EXPECT_LE(naps[k], kBound + kBlockJobs);
    EXPECT_LE(wakes[k], kBound / 2);
  }
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      kNap + std::to_string(naps[0]) + " jobs."),
            lines.end());
  EXPECT_EQ(countLines(lines, "Stopper found."), 1u);
  queue.removeStopper();
  EXPECT_TRUE(queue.empty());
}

}  // namespace
}  // namespace linprob
