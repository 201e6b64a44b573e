#include "distributions/chunk_queue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/console_lines.h"

namespace linprob {
namespace {

using testing_support::countLines;
using testing_support::numbersAfter;
using testing_support::splitLines;

const std::string kNap = "Generator thread taking a nap at ";
const std::string kWake = "Generator thread waking up! Jobs left...";

// Pops until the stopper, the way a solver thread does, noting each chunk.
void consume(ChunkQueue& queue, std::vector<std::size_t>& indices) {
  while (const std::optional<JobChunk> chunk = queue.pop()) {
    indices.push_back(chunk->index);
  }
}

TEST(ChunkQueueTest, OneStopperEndsEveryConsumerAndStaysUntilRemoved) {
  ChunkQueue queue;
  std::vector<std::vector<std::size_t>> taken(3);
  std::vector<std::thread> consumers;
  for (auto& indices : taken) {
    consumers.emplace_back(consume, std::ref(queue), std::ref(indices));
  }
  // Give the consumers time to block on the empty queue, so that only the
  // notifications can wake them.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  testing::internal::CaptureStdout();
  for (std::size_t k = 0; k < 100; ++k) queue.push(JobChunk{k, 10});
  queue.pushStopper();
  for (auto& consumer : consumers) consumer.join();
  const auto lines = splitLines(testing::internal::GetCapturedStdout());
  EXPECT_EQ(countLines(lines, "Stopper inserted"), 1u);
  EXPECT_EQ(countLines(lines, "Stopper found."), 3u);
  EXPECT_EQ(lines.size(), 4u);

  // Every chunk taken exactly once, each consumer in push order.
  std::vector<int> seen(100, 0);
  for (const auto& indices : taken) {
    EXPECT_TRUE(std::is_sorted(indices.begin(), indices.end()));
    for (std::size_t k : indices) ++seen[k];
  }
  EXPECT_EQ(seen, std::vector<int>(100, 1));
  EXPECT_EQ(queue.queuedJobs(), 0u);
  EXPECT_FALSE(queue.empty());
  queue.removeStopper();
  EXPECT_TRUE(queue.empty());
}

TEST(ChunkQueueTest, ConsumerWaitingOnAnEmptyQueueWakesOnTheStopper) {
  ChunkQueue queue;
  std::vector<std::size_t> indices;
  testing::internal::CaptureStdout();
  std::thread consumer(consume, std::ref(queue), std::ref(indices));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  queue.pushStopper();
  consumer.join();
  const auto lines = splitLines(testing::internal::GetCapturedStdout());
  EXPECT_TRUE(indices.empty());
  EXPECT_EQ(countLines(lines, "Stopper inserted"), 1u);
  EXPECT_EQ(countLines(lines, "Stopper found."), 1u);
  EXPECT_EQ(lines.size(), 2u);
  // A later pop meets the same stopper.
  testing::internal::CaptureStdout();
  EXPECT_FALSE(queue.pop().has_value());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Stopper found.\n");
  queue.removeStopper();
  EXPECT_TRUE(queue.empty());
}

TEST(ChunkQueueTest, ProducerNapsOnlyOnceMoreThanTheBoundIsQueued) {
  // Exactly at the bound the producer still pushes: five chunks of 1024 on
  // a bound of 4096 pass without a nap and end one chunk above it.
  ChunkQueue queue(4096);
  testing::internal::CaptureStdout();
  for (std::size_t k = 0; k < 5; ++k) queue.push(JobChunk{k, 1024});
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(queue.queuedJobs(), 5u * 1024u);
}

// A consumer that starts only once the queue is over its bound: the producer
// naps until the queue has drained to half the bound, and the queue never
// holds more than the bound plus one chunk.
TEST(ChunkQueueTest, SlowConsumerMakesTheProducerNapWithinTheBound) {
  constexpr std::size_t kBound = 1024;
  constexpr std::size_t kChunks = 60;
  ChunkQueue queue(kBound);
  std::vector<std::size_t> indices;
  std::atomic<std::size_t> mostQueued{0};
  std::thread consumer([&] {
    while (queue.queuedJobs() <= kBound) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // Leave the producer time to find the queue full and nap.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    consume(queue, indices);
  });
  testing::internal::CaptureStdout();
  for (std::size_t k = 0; k < kChunks; ++k) {
    queue.push(JobChunk{k, 200});
    mostQueued = std::max(mostQueued.load(), queue.queuedJobs());
  }
  queue.pushStopper();
  consumer.join();
  const auto lines = splitLines(testing::internal::GetCapturedStdout());

  ASSERT_EQ(indices.size(), kChunks);
  for (std::size_t k = 0; k < kChunks; ++k) EXPECT_EQ(indices[k], k);
  EXPECT_GT(mostQueued.load(), kBound);
  EXPECT_LE(mostQueued.load(), kBound + 200);

  const auto naps = numbersAfter(lines, kNap);
  const auto wakes = numbersAfter(lines, kWake);
  ASSERT_GE(naps.size(), 1u);
  EXPECT_EQ(naps.size(), wakes.size());
  for (std::size_t k = 0; k < naps.size(); ++k) {
    EXPECT_GT(naps[k], kBound);
    EXPECT_LE(naps[k], kBound + 200);
    EXPECT_LE(wakes[k], kBound / 2);
  }
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      kNap + std::to_string(naps[0]) + " jobs."),
            lines.end());
  EXPECT_EQ(countLines(lines, "Stopper found."), 1u);
  queue.removeStopper();
  EXPECT_TRUE(queue.empty());
}

// cancel() ends a napping producer and a waiting consumer at once, and
// nothing is queued after it.
TEST(ChunkQueueTest, CancelWakesProducersAndConsumers) {
  ChunkQueue queue(10);
  queue.push(JobChunk{0, 100});
  std::thread producer([&] { queue.push(JobChunk{1, 100}); });
  ChunkQueue empty;
  std::optional<JobChunk> popped = JobChunk{};
  std::thread consumer([&] { popped = empty.pop(); });
  testing::internal::CaptureStdout();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  queue.cancel();
  empty.cancel();
  producer.join();
  consumer.join();
  testing::internal::GetCapturedStdout();
  EXPECT_FALSE(popped.has_value());
  EXPECT_EQ(queue.queuedJobs(), 100u);
  queue.push(JobChunk{2, 5});
  EXPECT_EQ(queue.queuedJobs(), 100u);
}

}  // namespace
}  // namespace linprob
