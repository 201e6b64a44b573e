#include "distributions/sampling_source.h"
#include "support/pair_entries.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "support/random_source.h"

namespace linprob {
namespace {

TEST(SampleWeightTest, IsComputedInSinglePrecision) {
  const double weight = sampleWeight(100000);
  EXPECT_EQ(weight, static_cast<double>(1.0f / 100000.0f));
  EXPECT_NEAR(weight, 9.99999974737875e-06, 1e-19);
  EXPECT_NE(weight, 1e-5);
  EXPECT_EQ(sampleWeight(1), 1.0);
  EXPECT_EQ(sampleWeight(4), 0.25);
}

// A sampling source pushes every chunk of the plan once, in order, with its
// number of samples, silently and without a stopper.
TEST(SamplingSourceTest, PushesTheChunksInOrder) {
  SamplingJobs jobs;
  jobs.n = 2;
  jobs.family = Family::kTriangular;
  jobs.parameters = testing::pairEntries({0.0, -1.0}, {1.0, 1.0});
  jobs.sampleCount = 100000;
  ChunkQueue queue(jobs.sampleCount);
  const auto source = testing_support::randomSource(jobs);
  ::testing::internal::CaptureStdout();
  source->produce(queue, 0, {}, {});
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(queue.queuedJobs(), 100000u);
  ::testing::internal::CaptureStdout();
  queue.pushStopper();
  std::vector<std::size_t> indices;
  std::uint64_t total = 0;
  while (const std::optional<JobChunk> chunk = queue.pop()) {
    indices.push_back(chunk->index);
    EXPECT_EQ(chunk->jobs, source->chunkJobs(chunk->index));
    total += chunk->jobs;
  }
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(indices, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(total, 100000u);
  queue.removeStopper();
  EXPECT_TRUE(queue.empty());

  jobs.sampleCount = 0;
  testing_support::randomSource(jobs)->produce(queue, 0, {}, {});
  EXPECT_TRUE(queue.empty());

  // Rank 1 of 4 pushes chunks 1 and 5 of the six.
  jobs.sampleCount = 100000;
  source->produce(queue, 0, {}, ChunkShare{1, 4});
  ::testing::internal::CaptureStdout();
  queue.pushStopper();
  indices.clear();
  while (const std::optional<JobChunk> chunk = queue.pop()) {
    indices.push_back(chunk->index);
  }
  ::testing::internal::GetCapturedStdout();
  queue.removeStopper();
  EXPECT_EQ(indices, (std::vector<std::size_t>{1, 5}));
}

}  // namespace
}  // namespace linprob
