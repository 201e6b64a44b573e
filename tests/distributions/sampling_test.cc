#include "distributions/sampling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

namespace linprob {
namespace {

constexpr int kDraws = 200000;
// Sample moments are checked within five standard errors: a false alarm is
// about one in 1.7 million runs.
constexpr double kStandardErrors = 5.0;

struct Moments {
  double mean = 0.0;
  double variance = 0.0;
};

// Mean and (population) variance of entry `entry` over every job; checks on
// the way that the queue holds kDraws equally weighted jobs, then the stopper.
Moments entryMoments(const JobQueue& jobs, std::size_t entry, unsigned n) {
  EXPECT_EQ(jobs.size(), static_cast<std::size_t>(kDraws) + 1);
  EXPECT_TRUE(isStopper(jobs.back()));
  const double weight = sampleWeight(kDraws);
  double sum = 0.0;
  for (std::size_t k = 0; k + 1 < jobs.size(); ++k) {
    EXPECT_EQ(jobs[k].rhs.size(), n);
    EXPECT_EQ(jobs[k].probability, weight);
    sum += jobs[k].rhs[entry];
  }
  Moments moments;
  moments.mean = sum / kDraws;
  double squares = 0.0;
  for (std::size_t k = 0; k + 1 < jobs.size(); ++k) {
    const double deviation = jobs[k].rhs[entry] - moments.mean;
    squares += deviation * deviation;
  }
  moments.variance = squares / kDraws;
  return moments;
}

// Tolerances from the distribution's variance and kurtosis: the standard
// error of the mean is sqrt(var / N), that of the variance
// var * sqrt((kurtosis - 1) / N).
void expectMoments(const Moments& moments, double mean, double variance,
                   double kurtosis) {
  const double meanError = std::sqrt(variance / kDraws);
  const double varianceError = variance * std::sqrt((kurtosis - 1.0) / kDraws);
  EXPECT_NEAR(moments.mean, mean, kStandardErrors * meanError);
  EXPECT_NEAR(moments.variance, variance, kStandardErrors * varianceError);
}

bool allEqual(const JobQueue& jobs, std::size_t entry, double value) {
  for (std::size_t k = 0; k + 1 < jobs.size(); ++k) {
    if (jobs[k].rhs[entry] != value) {
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

TEST(SamplingTest, NoSamplesGiveOnlyTheStopper) {
  JobQueue jobs;
  testing::internal::CaptureStdout();
  sampleNormal(jobs, 2, 0, {0.0, 1.0}, {1.0, 1.0});
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Stopper inserted\n");
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_TRUE(isStopper(jobs.front()));
}

TEST(SamplingTest, OneSampleHasWeightOne) {
  JobQueue jobs;
  testing::internal::CaptureStdout();
  sampleUniform(jobs, 1, 1, {2.0}, {3.0});
  testing::internal::GetCapturedStdout();
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(jobs[0].probability, 1.0);
  ASSERT_EQ(jobs[0].rhs.size(), 1u);
  EXPECT_GE(jobs[0].rhs[0], 2.0);
  EXPECT_LT(jobs[0].rhs[0], 3.0);
  EXPECT_TRUE(isStopper(jobs[1]));
}

TEST(SamplingTest, EveryPhaseIsSeededAfresh) {
  JobQueue first;
  JobQueue second;
  testing::internal::CaptureStdout();
  sampleUniform(first, 4, 1, {0, 0, 0, 0}, {1, 1, 1, 1});
  sampleUniform(second, 4, 1, {0, 0, 0, 0}, {1, 1, 1, 1});
  testing::internal::GetCapturedStdout();
  EXPECT_NE(first.front().rhs, second.front().rhs);
}

TEST(SamplingTest, TriangularDrawsHaveTheTriangularMoments) {
  JobQueue jobs;
  testing::internal::CaptureStdout();
  sampleTriangular(jobs, 2, kDraws, {0.0, 7.0}, {4.0, 7.0});
  testing::internal::GetCapturedStdout();
  // Symmetric triangular on [0, 4]: mean 2, variance 4^2 / 24, kurtosis 2.4.
  expectMoments(entryMoments(jobs, 0, 2), 2.0, 16.0 / 24.0, 2.4);
  for (std::size_t k = 0; k + 1 < jobs.size(); ++k) {
    ASSERT_GE(jobs[k].rhs[0], 0.0);
    ASSERT_LE(jobs[k].rhs[0], 4.0);
  }
  EXPECT_TRUE(allEqual(jobs, 1, 7.0));
}

TEST(SamplingTest, NormalDrawsUseTheVarianceAsVariance) {
  JobQueue jobs;
  testing::internal::CaptureStdout();
  sampleNormal(jobs, 2, kDraws, {10.0, -3.0}, {4.0, 0.0});
  testing::internal::GetCapturedStdout();
  expectMoments(entryMoments(jobs, 0, 2), 10.0, 4.0, 3.0);
  EXPECT_TRUE(allEqual(jobs, 1, -3.0));
}

TEST(SamplingTest, UniformDrawsCoverTheHalfOpenRange) {
  JobQueue jobs;
  testing::internal::CaptureStdout();
  sampleUniform(jobs, 2, kDraws, {1.0, 5.0}, {3.0, 5.0});
  testing::internal::GetCapturedStdout();
  // Uniform on [1, 3): mean 2, variance 2^2 / 12, kurtosis 1.8.
  expectMoments(entryMoments(jobs, 0, 2), 2.0, 4.0 / 12.0, 1.8);
  for (std::size_t k = 0; k + 1 < jobs.size(); ++k) {
    ASSERT_GE(jobs[k].rhs[0], 1.0);
    ASSERT_LT(jobs[k].rhs[0], 3.0);
  }
  EXPECT_TRUE(allEqual(jobs, 1, 5.0));
}

}  // namespace
}  // namespace linprob
