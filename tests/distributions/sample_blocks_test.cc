#include "distributions/sample_blocks.h"
#include "support/pair_entries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

namespace linprob {
namespace {

SamplingJobs samplingJobs(Family family, std::vector<double> first,
                          std::vector<double> second, int sampleCount,
                          std::uint64_t seed = 12345) {
  SamplingJobs jobs;
  jobs.n = static_cast<unsigned>(first.size());
  jobs.family = family;
  jobs.parameters = testing::pairEntries(first, second);
  jobs.sampleCount = sampleCount;
  jobs.seed = seed;
  return jobs;
}

// Every sample, [entry][sample], drawing the blocks in the order given;
// checks on the way the block sizes, the weights and that unused lanes are
// zero.
std::vector<std::vector<double>> drawAll(const SamplingJobs& jobs,
                                         bool backwards = false,
                                         const FamilyInfo* row = nullptr) {
  const std::uint64_t blocks = jobs.blockCount();
  std::vector<std::vector<double>> samples(
      jobs.n, std::vector<double>(static_cast<std::size_t>(jobs.sampleCount)));
  const SampleBlocks draws =
      row != nullptr ? SampleBlocks(jobs, *row) : SampleBlocks(jobs);
  JobBlock block(jobs.n);
  const double weight = sampleWeight(jobs.sampleCount);
  for (std::uint64_t k = 0; k < blocks; ++k) {
    const std::uint64_t b = backwards ? blocks - 1 - k : k;
    const std::size_t count = draws.fill(b, block);
    EXPECT_EQ(count, jobs.blockJobs(b));
    EXPECT_EQ(block.count, count);
    for (std::size_t s = 0; s < kBlockJobs; ++s) {
      EXPECT_EQ(block.probabilities[s], s < count ? weight : 0.0);
      for (unsigned e = 0; e < jobs.n; ++e) {
        if (s < count) {
          samples[e][b * kBlockJobs + s] = block.entry(e)[s];
        } else {
          EXPECT_EQ(block.entry(e)[s], 0.0);
        }
      }
    }
  }
  return samples;
}

// The largest distance between the empirical distribution of `values` and
// `cdf` (the Kolmogorov-Smirnov statistic).
double ksDistance(std::vector<double> values,
                  const std::function<double(double)>& cdf) {
  std::sort(values.begin(), values.end());
  const auto n = static_cast<double>(values.size());
  double distance = 0.0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double f = cdf(values[i]);
    distance = std::max(distance, std::max(f - static_cast<double>(i) / n,
                                           static_cast<double>(i + 1) / n - f));
  }
  return distance;
}

constexpr int kDraws = 200000;

// Each family against its distribution: the sample mean and variance within
// five standard errors (a false alarm, for a seed other than the fixed ones
// here, about once in 1.7 million per check), and the Kolmogorov-Smirnov
// distance below 2.7 / sqrt(N) (P(sqrt(N) D > 2.7) ~ 2 exp(-2 * 2.7^2),
// about once in a million). The standard error of the mean is
// sqrt(var / N), that of the variance var * sqrt((kurtosis - 1) / N).
void expectDistribution(const std::vector<double>& values, double mean,
                        double variance, double kurtosis,
                        const std::function<double(double)>& cdf) {
  const auto n = static_cast<double>(values.size());
  double sum = 0.0;
  for (double v : values) sum += v;
  const double sampleMean = sum / n;
  double squares = 0.0;
  for (double v : values) squares += (v - sampleMean) * (v - sampleMean);
  const double sampleVariance = squares / n;
  EXPECT_NEAR(sampleMean, mean, 5.0 * std::sqrt(variance / n));
  EXPECT_NEAR(sampleVariance, variance,
              5.0 * variance * std::sqrt((kurtosis - 1.0) / n));
  EXPECT_LT(ksDistance(values, cdf), 2.7 / std::sqrt(n));
}

TEST(SampleBlocksTest, NormalDrawsFollowTheNormalDistribution) {
  const auto samples = drawAll(samplingJobs(
      Family::kNormal, {10.0, -3.0, 0.0}, {4.0, 0.0, 1.0}, kDraws, 7));
  expectDistribution(samples[0], 10.0, 4.0, 3.0, [](double x) {
    return 0.5 * std::erfc(-(x - 10.0) / (2.0 * std::sqrt(2.0)));
  });
  // A variance of 0 is the constant mean.
  EXPECT_TRUE(std::all_of(samples[1].begin(), samples[1].end(),
                          [](double v) { return v == -3.0; }));
  // The ziggurat's tail beyond 3.4426 holds 2 (1 - Phi(3.4426)) = 5.76e-4
  // of the draws: 115 expected here, within five standard deviations.
  const auto tail = std::count_if(samples[2].begin(), samples[2].end(),
                                  [](double z) { return std::fabs(z) > 3.442619855899; });
  const double expected = 5.7593e-4 * kDraws;
  EXPECT_NEAR(static_cast<double>(tail), expected, 5.0 * std::sqrt(expected));
}

TEST(SampleBlocksTest, TriangularDrawsFollowTheSymmetricTriangle) {
  const auto samples = drawAll(samplingJobs(
      Family::kTriangular, {0.0, 7.0}, {4.0, 7.0}, kDraws, 11));
  // Symmetric triangular on [0, 4]: mean 2, variance 4^2 / 24, kurtosis 2.4.
  expectDistribution(samples[0], 2.0, 16.0 / 24.0, 2.4, [](double x) {
    const double t = x / 4.0;
    return t <= 0.5 ? 2.0 * t * t : 1.0 - 2.0 * (1.0 - t) * (1.0 - t);
  });
  for (double v : samples[0]) {
    ASSERT_GE(v, 0.0);
    ASSERT_LE(v, 4.0);
  }
  EXPECT_TRUE(std::all_of(samples[1].begin(), samples[1].end(),
                          [](double v) { return v == 7.0; }));
}

// The arcsine law on [p, q], a family that is not one of the program's:
// its value at probability u is p + (q - p) sin^2(pi u / 2).
double arcsineQuantile(EntryNumbers entry, double u) {
  const double s = std::sin(std::acos(-1.0) * u / 2.0);
  return entry[0] + (entry[1] - entry[0]) * s * s;
}

FamilyInfo arcsineFamily() {
  FamilyInfo row = kFamilies[2];
  row.name = "Arcsine";
  row.quantile = arcsineQuantile;
  row.draw = SampleDraw::kQuantile;
  row.shape = EntryShape::kOther;
  return row;
}

TEST(SampleBlocksTest, AFamilyOfItsOwnDrawsThroughItsQuantile) {
  const FamilyInfo arcsine = arcsineFamily();
  const SamplingJobs jobs =
      samplingJobs(Family::kUniform, {1.0, 5.0}, {3.0, 5.0}, kDraws, 3);
  const auto samples = drawAll(jobs, false, &arcsine);
  // Arcsine on [1, 3]: mean 2, variance 2^2 / 8, kurtosis 1.5.
  expectDistribution(samples[0], 2.0, 0.5, 1.5, [](double x) {
    return 2.0 / std::acos(-1.0) * std::asin(std::sqrt((x - 1.0) / 2.0));
  });
  EXPECT_TRUE(std::all_of(samples[1].begin(), samples[1].end(),
                          [](double v) { return v == 5.0; }));
  // The same seed draws the same values, blocks in any order.
  EXPECT_EQ(drawAll(jobs, true, &arcsine), samples);
}

// A family whose file holds three numbers per entry reads each entry's
// own three: the arcsine law on [first, third], the middle number unused,
// draws what the arcsine family draws on the pairs (first, third).
TEST(SampleBlocksTest, AFamilyOfThreeNumbersReadsEachEntrysOwn) {
  FamilyInfo wide = arcsineFamily();
  wide.quantile = [](EntryNumbers entry, double u) {
    const double ends[] = {entry[0], entry[2]};
    return arcsineQuantile(ends, u);
  };
  SamplingJobs jobs =
      samplingJobs(Family::kUniform, {1.0, 5.0, -2.0}, {3.0, 5.0, 0.0}, 3000, 8);
  const FamilyInfo arcsine = arcsineFamily();
  const auto pairs = drawAll(jobs, false, &arcsine);
  jobs.parameters = EntryParameters{3, {1.0, 99.0, 3.0, 5.0, -7.0, 5.0,
                                        -2.0, 0.5, 0.0}};
  EXPECT_EQ(drawAll(jobs, false, &wide), pairs);
}

TEST(SampleBlocksTest, UniformDrawsCoverTheHalfOpenRange) {
  const auto samples = drawAll(samplingJobs(
      Family::kUniform, {1.0, 5.0}, {3.0, 5.0}, kDraws, 13));
  // Uniform on [1, 3): mean 2, variance 2^2 / 12, kurtosis 1.8.
  expectDistribution(samples[0], 2.0, 4.0 / 12.0, 1.8,
                     [](double x) { return (x - 1.0) / 2.0; });
  for (double v : samples[0]) {
    ASSERT_GE(v, 1.0);
    ASSERT_LT(v, 3.0);
  }
  EXPECT_TRUE(std::all_of(samples[1].begin(), samples[1].end(),
                          [](double v) { return v == 5.0; }));
}

// Entries and blocks draw from streams of their own: two entries with the
// same parameters are uncorrelated (|r| below five standard errors,
// 5 / sqrt(N)), and so are the same lanes of consecutive blocks.
TEST(SampleBlocksTest, EntriesAndBlocksAreIndependent) {
  const auto samples = drawAll(samplingJobs(
      Family::kUniform, {0.0, 0.0}, {1.0, 1.0}, kDraws, 17));
  auto correlation = [](const std::vector<double>& a,
                        const std::vector<double>& b) {
    double sa = 0, sb = 0, sab = 0, saa = 0, sbb = 0;
    const auto n = static_cast<double>(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
      sa += a[i];
      sb += b[i];
      sab += a[i] * b[i];
      saa += a[i] * a[i];
      sbb += b[i] * b[i];
    }
    const double cov = sab / n - (sa / n) * (sb / n);
    return cov / std::sqrt((saa / n - (sa / n) * (sa / n)) *
                           (sbb / n - (sb / n) * (sb / n)));
  };
  EXPECT_LT(std::fabs(correlation(samples[0], samples[1])),
            5.0 / std::sqrt(static_cast<double>(kDraws)));
  const std::size_t half = (kDraws / kBlockJobs / 2) * kBlockJobs;
  std::vector<double> even, odd;
  for (std::size_t b = 0; 2 * b + 1 < kDraws / kBlockJobs; ++b) {
    for (std::size_t s = 0; s < kBlockJobs; ++s) {
      even.push_back(samples[0][2 * b * kBlockJobs + s]);
      odd.push_back(samples[0][(2 * b + 1) * kBlockJobs + s]);
    }
  }
  ASSERT_EQ(even.size(), half);
  EXPECT_LT(std::fabs(correlation(even, odd)),
            5.0 / std::sqrt(static_cast<double>(half)));
}

// The same seed draws the same samples, in any order of the blocks, and a
// block does not depend on how many samples follow it; another seed draws
// others.
TEST(SampleBlocksTest, TheSeedAndTheBlockFixTheSamples) {
  for (Family family :
       {Family::kNormal, Family::kTriangular, Family::kUniform}) {
    const SamplingJobs jobs =
        samplingJobs(family, {0.0, 1.0, 2.0}, {1.0, 3.0, 5.0}, 3000, 99);
    const auto forwards = drawAll(jobs);
    EXPECT_EQ(drawAll(jobs, true), forwards);
    SamplingJobs longer = jobs;
    longer.sampleCount = 5000;
    const auto more = drawAll(longer);
    for (unsigned e = 0; e < 3; ++e) {
      EXPECT_TRUE(std::equal(forwards[e].begin(), forwards[e].end(),
                             more[e].begin()));
    }
    SamplingJobs other = jobs;
    other.seed = 100;
    EXPECT_NE(drawAll(other), forwards);
    // The high half of the seed counts as much as the low one.
    other.seed = jobs.seed + (std::uint64_t{1} << 32);
    EXPECT_NE(drawAll(other), forwards);
  }
}

// The draws of a seed never change: they make a run's files. A digest of
// the bits of every draw of three entries over three blocks (the last one
// short), per family, as the draws were first made one word at a time.
TEST(SampleBlocksTest, TheDrawsOfASeedStayTheSame) {
  const std::pair<Family, std::uint64_t> expected[] = {
      {Family::kTriangular, 9792258481639491097u},
      {Family::kNormal, 5159016928626232705u},
      {Family::kUniform, 2890643904303780787u},
  };
  for (const auto& [family, digest] : expected) {
    const SamplingJobs jobs = samplingJobs(family, {0.0, -1.0, 2.0},
                                           {1.0, 3.0, 2.0 + 0x1p-40}, 2100, 99);
    std::uint64_t hash = 14695981039346656037u;  // FNV-1a, 64 bits
    for (const std::vector<double>& entry : drawAll(jobs)) {
      for (const double value : entry) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        hash = (hash ^ bits) * 1099511628211u;
      }
    }
    EXPECT_EQ(hash, digest) << static_cast<int>(family);
  }
}

TEST(SampleBlocksTest, NoSamplesOrOneSample) {
  const SamplingJobs none =
      samplingJobs(Family::kNormal, {0.0, 1.0}, {1.0, 1.0}, 0);
  EXPECT_EQ(none.blockCount(), 0u);
  const SamplingJobs one = samplingJobs(Family::kUniform, {2.0}, {3.0}, 1);
  const SampleBlocks draws(one);
  JobBlock block(1);
  ASSERT_EQ(draws.fill(0, block), 1u);
  EXPECT_EQ(block.probabilities[0], 1.0);
  EXPECT_GE(block.entry(0)[0], 2.0);
  EXPECT_LT(block.entry(0)[0], 3.0);
}

}  // namespace
}  // namespace linprob
