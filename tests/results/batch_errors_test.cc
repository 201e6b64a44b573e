#include "results/batch_errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "results/coverage_interval.h"

namespace linprob {
namespace {

// sqrt(sum (y - ybar)^2 / (h (h - 1))): the spread of h equal batches.
double equalBatchError(const std::vector<double>& y) {
  double mean = 0.0;
  for (const double v : y) mean += v / static_cast<double>(y.size());
  double sum = 0.0;
  for (const double v : y) sum += (v - mean) * (v - mean);
  const auto h = static_cast<double>(y.size());
  return std::sqrt(sum / (h * (h - 1.0)));
}

TEST(BatchErrors, StandardErrorOfWeightedBatches) {
  const std::vector<double> y = {1.0, 2.5, -0.5, 3.0, 1.25};
  const std::vector<double> equal(5, 0.2);
  EXPECT_NEAR(batchStandardError(equal, y), equalBatchError(y), 1e-15);
  // Only the weights' proportions count.
  const std::vector<double> scaled(5, 7.0);
  EXPECT_NEAR(batchStandardError(scaled, y), equalBatchError(y), 1e-15);
  // Weights 1 and 3, estimates 0 and 4: ybar = 3, u^2 = 2 (0.75^2 + 0.75^2).
  EXPECT_EQ(batchStandardError(std::vector<double>{1.0, 3.0},
                               std::vector<double>{0.0, 4.0}),
            1.5);
  EXPECT_TRUE(std::isnan(batchStandardError(std::vector<double>{1.0},
                                            std::vector<double>{2.0})));
}

// Four batches of 512 jobs (two chunks of 256 each) of two positions, with
// weights 1/2048 (sums of them are exact, so fixed-point counts of sums and
// of single weights agree), counted the way the counting pass does it.
class PhaseBatchesTest : public ::testing::Test {
 protected:
  static constexpr std::size_t kBatches = 4;
  static constexpr std::size_t kJobs = 512;
  static constexpr double kWeight = 1.0 / 2048.0;

  PhaseBatchesTest() : bands_(2) {
    std::mt19937_64 engine(3);
    std::normal_distribution<double> normal(2.0, 0.5);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    values_.resize(2);
    for (std::size_t j = 0; j < kBatches * kJobs; ++j) {
      values_[0].push_back(normal(engine));
      values_[1].push_back(uniform(engine));
    }
    for (std::size_t e = 0; e < 2; ++e) {
      bands_[e].count = values_[e].size();
      bands_[e].min = *std::min_element(values_[e].begin(), values_[e].end());
      bands_[e].max = *std::max_element(values_[e].begin(), values_[e].end());
      layBorders(bands_[e], 6);
    }
    layout_.emplace(bands_, std::vector<double>{2.0, 0.0});
  }

  // Feeds every chunk, the second chunk of each batch first for the fine
  // counts (any order goes there), in chunk order for the sums.
  void feed(PhaseBatches& batches) const {
    for (std::size_t chunk = 0; chunk < 2 * kBatches; ++chunk) {
      const std::size_t first = chunk * kJobs / 2;
      ChunkSums sums;
      sums.masses.assign(layout_->bandTotal, 0.0);
      for (std::size_t e = 0; e < 2; ++e) {
        WeightedMoments moments(layout_->positions[e].reference);
        std::vector<double> subBands(kFineSubBands, 0.0);
        const FineHistogram probe(bands_[e].min, bands_[e].max);
        for (std::size_t j = first; j < first + kJobs / 2; ++j) {
          const double x = values_[e][j];
          sums.masses[layout_->positions[e].offset + bandIndex(bands_[e], x)] +=
              kWeight;
          moments.add(x, kWeight);
          subBands[probe.subBand(x)] += kWeight;
        }
        sums.moments.push_back(moments);
        batches.addSubBandSums(chunk / 2, e, subBands.data());
      }
      batches.addChunk(chunk / 2, sums);
    }
  }

  // What batch r alone estimates, computed from its values.
  struct Estimates {
    std::vector<double> masses;
    double mean = 0.0;
    double sd = 0.0;
    CoverageInterval coverage;
  };
  Estimates estimates(std::size_t e, std::size_t r,
                      std::size_t subBands) const {
    Estimates out;
    out.masses.assign(bands_[e].masses.size(), 0.0);
    FineHistogram histogram(bands_[e].min, bands_[e].max, subBands);
    double sum = 0.0;
    for (std::size_t j = r * kJobs; j < (r + 1) * kJobs; ++j) {
      const double x = values_[e][j];
      out.masses[bandIndex(bands_[e], x)] += 1.0 / kJobs;
      sum += x;
      histogram.add(x, kWeight);
    }
    out.mean = sum / kJobs;
    double squares = 0.0;
    for (std::size_t j = r * kJobs; j < (r + 1) * kJobs; ++j) {
      squares += (values_[e][j] - out.mean) * (values_[e][j] - out.mean);
    }
    out.sd = std::sqrt(squares / kJobs);
    out.coverage = *coverageInterval(histogram);
    return out;
  }

  std::vector<std::vector<double>> values_;
  PhaseBands bands_;
  std::optional<CountLayout> layout_;
};

TEST_F(PhaseBatchesTest, ErrorsAreTheSpreadOfTheBatchesEstimates) {
  for (const std::size_t subBands : {kFineSubBands, std::size_t{1024}}) {
    PhaseBatches batches(*layout_, kBatches, subBands);
    feed(batches);
    const auto errors = batches.standardErrors(bands_);
    ASSERT_EQ(errors.size(), 2u);
    for (std::size_t e = 0; e < 2; ++e) {
      ASSERT_TRUE(errors[e]);
      std::vector<Estimates> each;
      for (std::size_t r = 0; r < kBatches; ++r) {
        each.push_back(estimates(e, r, subBands));
      }
      const auto spread = [&](auto get) {
        std::vector<double> y;
        for (const Estimates& batch : each) y.push_back(get(batch));
        return equalBatchError(y);
      };
      const std::size_t bandCount = bands_[e].masses.size();
      ASSERT_EQ(errors[e]->masses.size(), bandCount);
      for (std::size_t k = 0; k < bandCount; ++k) {
        // The phase's total mass is 1, so W is 1.
        EXPECT_NEAR(errors[e]->masses[k],
                    spread([k](const Estimates& b) { return b.masses[k]; }),
                    1e-12);
      }
      EXPECT_NEAR(errors[e]->mean,
                  spread([](const Estimates& b) { return b.mean; }), 1e-12);
      EXPECT_NEAR(errors[e]->sd,
                  spread([](const Estimates& b) { return b.sd; }), 1e-12);
      ASSERT_TRUE(errors[e]->coverage);
      const CoverageErrors& ends = *errors[e]->coverage;
      // The ends are the batch histograms' borders, bit for bit.
      EXPECT_NEAR(ends.symmetricLower,
                  spread([](const Estimates& b) {
                    return b.coverage.symmetricLower;
                  }),
                  1e-12);
      EXPECT_NEAR(ends.symmetricUpper,
                  spread([](const Estimates& b) {
                    return b.coverage.symmetricUpper;
                  }),
                  1e-12);
      EXPECT_NEAR(ends.shortestLower,
                  spread([](const Estimates& b) {
                    return b.coverage.shortestLower;
                  }),
                  1e-12);
      EXPECT_NEAR(ends.shortestUpper,
                  spread([](const Estimates& b) {
                    return b.coverage.shortestUpper;
                  }),
                  1e-12);
      EXPECT_GT(ends.symmetricUpper, 0.0);
    }
  }
}

TEST_F(PhaseBatchesTest, AnotherProcesssCountsAddUp) {
  // Two halves of the fine counts, added in one, give the whole.
  PhaseBatches whole(*layout_, kBatches, 2048);
  feed(whole);
  PhaseBatches half(*layout_, kBatches, 2048);
  feed(half);
  PhaseBatches other(*layout_, kBatches, 2048);
  other.addFineCounts(half.fineCounts());
  other.addFineCounts(half.fineCounts());
  std::vector<std::uint64_t> twice = whole.fineCounts();
  for (std::uint64_t& count : twice) count *= 2;
  EXPECT_EQ(other.fineCounts(), twice);
  EXPECT_THROW(other.addFineCounts({1, 2}), std::invalid_argument);
}

TEST_F(PhaseBatchesTest, MassesAloneWithoutMomentsAndNothingFromOneBatch) {
  // A phase counted without references: band masses only.
  const CountLayout masses(bands_, {});
  PhaseBatches plain(masses, 2, 1024);
  PhaseBatches lone(masses, 1, 1024);
  for (std::size_t r = 0; r < 2; ++r) {
    ChunkSums sums;
    sums.masses.assign(masses.bandTotal, 0.0);
    sums.masses[r] = 0.5;  // all of batch r in band r of position 0
    sums.masses[masses.positions[1].offset] = 0.5;
    plain.addChunk(r, sums);
    lone.addChunk(0, sums);
  }
  const auto errors = plain.standardErrors(bands_);
  ASSERT_TRUE(errors[0]);
  // Estimates 1 and 0 in bands 1 and 2, weights 1/2: u = 1/2, times W = 1.
  EXPECT_EQ(errors[0]->masses[0], 0.5);
  EXPECT_EQ(errors[0]->masses[1], 0.5);
  EXPECT_EQ(errors[0]->masses[2], 0.0);
  EXPECT_EQ(errors[1]->masses[0], 0.0);
  EXPECT_TRUE(std::isnan(errors[0]->mean));
  EXPECT_FALSE(errors[0]->coverage);
  EXPECT_FALSE(lone.standardErrors(bands_)[0]);
}

TEST(PhaseBatches, HistogramsShrinkToStayWithinTheirMemory) {
  EXPECT_EQ(PhaseBatches::subBandsFor(4, 16), kFineSubBands);
  EXPECT_EQ(PhaseBatches::subBandsFor(64, 16), 8192u);
  EXPECT_EQ(PhaseBatches::subBandsFor(512, 256), 1024u);
  const PhaseBands none;
  const CountLayout layout(none, {});
  try {
    PhaseBatches odd(layout, 2, 3000);
    ADD_FAILURE();
  } catch (const std::invalid_argument& error) {
    EXPECT_STREQ(error.what(),
                 "phase batches: 3000 sub-bands do not divide 16384");
  }
}

}  // namespace
}  // namespace linprob
