#include "distributions/sampling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace linprob {
namespace {

constexpr int kDraws = 200000;
// Sample moments are checked within five standard errors: with the fixed
// seeds below the test is deterministic, and the margin keeps it meaningful
// for any seed (a false alarm about one in 1.7 million).
constexpr double kStandardErrors = 5.0;

SamplingJobs samplingJobs(Family family, std::vector<double> first,
                          std::vector<double> second, int sampleCount,
                          std::uint64_t seed = 12345) {
  SamplingJobs jobs;
  jobs.n = static_cast<unsigned>(first.size());
  jobs.family = family;
  jobs.first = std::move(first);
  jobs.second = std::move(second);
  jobs.sampleCount = sampleCount;
  jobs.seed = seed;
  return jobs;
}

// Every sample of a stream, [entry][sample]; checks on the way the block
// sizes, the weights and that unused lanes are zero.
std::vector<std::vector<double>> drawAll(const SamplingJobs& jobs) {
  std::vector<std::vector<double>> samples(jobs.n);
  SampleStream stream(jobs);
  JobBlock block(jobs.n);
  const double weight = sampleWeight(jobs.sampleCount);
  int left = jobs.sampleCount;
  while (const std::size_t count = stream.fill(block)) {
    EXPECT_EQ(count, std::min<std::size_t>(kBlockJobs, left));
    EXPECT_EQ(block.count, count);
    left -= static_cast<int>(count);
    for (std::size_t s = 0; s < kBlockJobs; ++s) {
      EXPECT_EQ(block.probabilities[s], s < count ? weight : 0.0);
      for (unsigned e = 0; e < jobs.n; ++e) {
        if (s < count) {
          samples[e].push_back(block.entry(e)[s]);
        } else {
          EXPECT_EQ(block.entry(e)[s], 0.0);
        }
      }
    }
  }
  EXPECT_EQ(left, 0);
  EXPECT_EQ(block.count, 0u);
  return samples;
}

struct Moments {
  double mean = 0.0;
  double variance = 0.0;
};

Moments momentsOf(const std::vector<double>& values) {
  Moments moments;
  double sum = 0.0;
  for (double v : values) {
    sum += v;
  }
  moments.mean = sum / static_cast<double>(values.size());
  double squares = 0.0;
  for (double v : values) {
    const double deviation = v - moments.mean;
    squares += deviation * deviation;
  }
  moments.variance = squares / static_cast<double>(values.size());
  return moments;
}

// Tolerances from the distribution's variance and kurtosis: the standard
// error of the mean is sqrt(var / N), that of the variance
// var * sqrt((kurtosis - 1) / N).
void expectMoments(const std::vector<double>& values, double mean,
                   double variance, double kurtosis) {
  ASSERT_EQ(values.size(), static_cast<std::size_t>(kDraws));
  const Moments moments = momentsOf(values);
  const double meanError = std::sqrt(variance / kDraws);
  const double varianceError = variance * std::sqrt((kurtosis - 1.0) / kDraws);
  EXPECT_NEAR(moments.mean, mean, kStandardErrors * meanError);
  EXPECT_NEAR(moments.variance, variance, kStandardErrors * varianceError);
}

bool allEqual(const std::vector<double>& values, double value) {
  for (double v : values) {
    if (v != value) {
      return false;
    }
  }
  return true;
}

TEST(SampleWeightTest, IsComputedInSinglePrecision) {
  const double weight = sampleWeight(100000);
  EXPECT_EQ(weight, static_cast<double>(1.0f / 100000.0f));
  EXPECT_NEAR(weight, 9.99999974737875e-06, 1e-19);
  EXPECT_NE(weight, 1e-5);
  EXPECT_EQ(sampleWeight(1), 1.0);
  EXPECT_EQ(sampleWeight(4), 0.25);
}

TEST(SampleStreamTest, TheSameSeedDrawsTheSameSamples) {
  for (Family family :
       {Family::kNormal, Family::kTriangular, Family::kUniform}) {
    const SamplingJobs jobs =
        samplingJobs(family, {0.0, 1.0, 2.0}, {1.0, 3.0, 5.0}, 600, 99);
    const auto first = drawAll(jobs);
    EXPECT_EQ(drawAll(jobs), first);
    SamplingJobs other = jobs;
    other.seed = 100;
    EXPECT_NE(drawAll(other), first);
    // The high half of the seed counts as much as the low one.
    other.seed = jobs.seed + (std::uint64_t{1} << 32);
    EXPECT_NE(drawAll(other), first);
  }
}

TEST(SampleStreamTest, DrawsSampleBySampleThenEntryByEntry) {
  // Two uniform entries on [0, 1) and [10, 11) take alternate draws of one
  // engine, seeded with the two halves of the 64-bit seed.
  const SamplingJobs jobs = samplingJobs(Family::kUniform, {0.0, 10.0},
                                         {1.0, 11.0}, 3, 0x500000007u);
  const auto samples = drawAll(jobs);
  std::seed_seq halves{7u, 5u};
  std::mt19937 engine(halves);
  std::uniform_real_distribution<double> low(0.0, 1.0);
  std::uniform_real_distribution<double> high(10.0, 11.0);
  for (std::size_t s = 0; s < 3; ++s) {
    EXPECT_EQ(samples[0][s], low(engine));
    EXPECT_EQ(samples[1][s], high(engine));
  }
}

TEST(SampleStreamTest, NoSamplesOrOneSample) {
  const auto none =
      drawAll(samplingJobs(Family::kNormal, {0.0, 1.0}, {1.0, 1.0}, 0));
  EXPECT_TRUE(none[0].empty());
  const SamplingJobs one = samplingJobs(Family::kUniform, {2.0}, {3.0}, 1);
  SampleStream stream(one);
  JobBlock block(1);
  ASSERT_EQ(stream.fill(block), 1u);
  EXPECT_EQ(block.probabilities[0], 1.0);
  EXPECT_GE(block.entry(0)[0], 2.0);
  EXPECT_LT(block.entry(0)[0], 3.0);
}

TEST(SampleStreamTest, TriangularDrawsHaveTheTriangularMoments) {
  const auto samples =
      drawAll(samplingJobs(Family::kTriangular, {0.0, 7.0}, {4.0, 7.0},
                           kDraws));
  // Symmetric triangular on [0, 4]: mean 2, variance 4^2 / 24, kurtosis 2.4.
  expectMoments(samples[0], 2.0, 16.0 / 24.0, 2.4);
  for (double v : samples[0]) {
    ASSERT_GE(v, 0.0);
    ASSERT_LE(v, 4.0);
  }
  EXPECT_TRUE(allEqual(samples[1], 7.0));
}

TEST(SampleStreamTest, NormalDrawsUseTheVarianceAsVariance) {
  const auto samples = drawAll(
      samplingJobs(Family::kNormal, {10.0, -3.0}, {4.0, 0.0}, kDraws));
  expectMoments(samples[0], 10.0, 4.0, 3.0);
  EXPECT_TRUE(allEqual(samples[1], -3.0));
}

TEST(SampleStreamTest, UniformDrawsCoverTheHalfOpenRange) {
  const auto samples = drawAll(
      samplingJobs(Family::kUniform, {1.0, 5.0}, {3.0, 5.0}, kDraws));
  // Uniform on [1, 3): mean 2, variance 2^2 / 12, kurtosis 1.8.
  expectMoments(samples[0], 2.0, 4.0 / 12.0, 1.8);
  for (double v : samples[0]) {
    ASSERT_GE(v, 1.0);
    ASSERT_LT(v, 3.0);
  }
  EXPECT_TRUE(allEqual(samples[1], 5.0));
}

TEST(SampleStreamTest, DegenerateEntriesTakeNoDraw) {
  // The constant entry in the middle must not consume a draw: entries 0 and
  // 2 see the same engine as a stream without it.
  const auto with = drawAll(
      samplingJobs(Family::kNormal, {0.0, 4.0, 1.0}, {1.0, 0.0, 2.0}, 50));
  const auto without =
      drawAll(samplingJobs(Family::kNormal, {0.0, 1.0}, {1.0, 2.0}, 50));
  EXPECT_EQ(with[0], without[0]);
  EXPECT_EQ(with[2], without[1]);
  EXPECT_TRUE(allEqual(with[1], 4.0));
}

// produceSamples pushes exactly the stream's samples, in order, and no
// stopper.
TEST(ProduceSamplesTest, PushesTheStreamInBlocks) {
  // Two full blocks and a short one.
  static_assert(2 * kBlockJobs < 2500 && 2500 < 3 * kBlockJobs);
  const SamplingJobs jobs =
      samplingJobs(Family::kTriangular, {0.0, -1.0}, {1.0, 1.0}, 2500, 5);
  const auto expected = drawAll(jobs);
  BlockQueue queue(2);
  testing::internal::CaptureStdout();
  produceSamples(queue, jobs);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(queue.queuedJobs(), 2500u);
  std::vector<std::vector<double>> taken(2);
  testing::internal::CaptureStdout();
  queue.pushStopper();
  std::size_t blocks = 0;
  while (std::unique_ptr<JobBlock> block = queue.pop()) {
    ++blocks;
    for (std::size_t s = 0; s < block->count; ++s) {
      taken[0].push_back(block->entry(0)[s]);
      taken[1].push_back(block->entry(1)[s]);
      EXPECT_EQ(block->probabilities[s], sampleWeight(2500));
    }
    queue.recycle(std::move(block));
  }
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(blocks, 3u);
  EXPECT_EQ(taken, expected);
  queue.removeStopper();
  EXPECT_TRUE(queue.empty());

  produceSamples(queue, samplingJobs(Family::kUniform, {0.0}, {1.0}, 0));
  EXPECT_TRUE(queue.empty());
}

}  // namespace
}  // namespace linprob
