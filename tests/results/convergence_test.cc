#include "results/convergence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <vector>

#include "results/batch_spread.h"
#include "results/coverage_factor.h"
#include "results/standard_errors.h"
#include "results/coverage_interval.h"
#include "solve/touched_sub_bands.h"

namespace linprob {
namespace {

// One position, four batches of unequal sizes (whole chunks of values of
// weight 2^-12, so fixed-point counts of sums and of single weights agree),
// and the phase's own moments and fine histogram, all counted as the
// counting pass does.
class ConvergenceTest : public ::testing::Test {
 protected:
  static constexpr double kWeight = 1.0 / 4096.0;
  static constexpr double kReference = 1.0;
  const std::vector<std::uint64_t> jobs_ = {512, 1024, 256, 768};

  ConvergenceTest() : bands_(1) {
    std::mt19937_64 engine(11);
    std::normal_distribution<double> normal(1.0, 0.25);
    for (const std::uint64_t count : jobs_) {
      values_.emplace_back();
      for (std::uint64_t j = 0; j < count; ++j) {
        values_.back().push_back(normal(engine));
      }
    }
    double min = values_[0][0];
    double max = min;
    for (const auto& batch : values_) {
      min = std::min(min, *std::min_element(batch.begin(), batch.end()));
      max = std::max(max, *std::max_element(batch.begin(), batch.end()));
    }
    PositionBands& bands = bands_[0];
    bands.count = 2560;
    bands.min = min;
    bands.max = max;
    layBorders(bands, 8);
    layout_.emplace(bands_, std::vector<double>{kReference});
  }

  // The batches' sums, and the phase's moments and fine histogram.
  BatchSums count(std::size_t subBands) {
    PositionBands& bands = bands_[0];
    BatchSums batches(*layout_, values_.size(), subBands);
    bands.moments.emplace(kReference);
    bands.fine.emplace(bands.min, bands.max);
    for (std::size_t r = 0; r < values_.size(); ++r) {
      ChunkSums sums;
      sums.masses.assign(layout_->bandTotal, 0.0);
      WeightedMoments moments(kReference);
      std::vector<double> subBandSums(kFineSubBands, 0.0);
      for (const double x : values_[r]) {
        sums.masses[bandIndex(bands, x)] += kWeight;
        moments.add(x, kWeight);
        subBandSums[bands.fine->subBand(x)] += kWeight;
        bands.fine->add(x, kWeight);
      }
      sums.moments.push_back(moments);
      bands.moments->merge(moments);
      std::vector<double> none(kFineSubBands, 0.0);
      const std::vector<std::uint64_t> every(kSubBandWords, ~std::uint64_t{0});
      batches.addSubBandChanges(r, 0, subBandSums.data(), every.data(),
                                none.data());
      batches.addChunk(r, sums);
    }
    return batches;
  }

  // The first k batches' values, weighted as counted.
  WeightedMoments pooledMoments(std::size_t k) const {
    WeightedMoments pooled(kReference);
    for (std::size_t r = 0; r < k; ++r) {
      WeightedMoments own(kReference);
      for (const double x : values_[r]) own.add(x, kWeight);
      pooled.merge(own);
    }
    return pooled;
  }
  // Their histogram: the fine one's counts, `subBands` of them.
  CoverageInterval pooledInterval(std::size_t k, std::size_t subBands) const {
    FineHistogram fine(bands_[0].min, bands_[0].max);
    for (std::size_t r = 0; r < k; ++r) {
      for (const double x : values_[r]) fine.add(x, kWeight);
    }
    std::vector<std::uint64_t> counts(subBands, 0);
    const std::size_t group = kFineSubBands / subBands;
    for (std::size_t f = 0; f < kFineSubBands; ++f) {
      counts[f / group] += fine.counts()[f];
    }
    FineHistogram histogram(bands_[0].min, bands_[0].max, subBands);
    histogram.addCounts(counts);
    return *coverageInterval(histogram);
  }

  std::vector<std::vector<double>> values_;
  PhaseBands bands_;
  std::optional<CountLayout> layout_;
};

TEST_F(ConvergenceTest, PointsPoolTheFirstBatchesAndEndAtThePhasesOwn) {
  for (const std::size_t subBands : {kFineSubBands, std::size_t{1024}}) {
    for (const PointKind kind : {PointKind::kRandom, PointKind::kSobol}) {
      SCOPED_TRACE(subBands);
      SCOPED_TRACE(pointKindRow(kind).name);
      const ErrorDesign design = errorDesignOf(kind);
      const BatchSums batches = count(subBands);
      const PhaseEstimates estimates = phaseEstimates(batches, bands_);
      const PhaseErrorInputs inputs{kind, &bands_, &batches, &estimates};
      const auto errors = standardErrors(inputs);
      const auto series = convergenceSeries(inputs, errors, jobs_);
      ASSERT_EQ(series.size(), 1u);
      ASSERT_TRUE(series[0]);
      const Convergence& points = *series[0];
      ASSERT_EQ(points.size(), 4u);
      const std::vector<std::uint64_t> samples = {512, 1536, 1792, 2560};
      for (std::size_t k = 1; k <= 3; ++k) {
        const ConvergencePoint& point = points[k - 1];
        EXPECT_EQ(point.samples, samples[k - 1]);
        EXPECT_EQ(point.mean.value, pooledMoments(k).mean()) << k;
        const CoverageInterval interval = pooledInterval(k, subBands);
        EXPECT_EQ(point.symmetricLower.value, interval.symmetricLower) << k;
        EXPECT_EQ(point.symmetricUpper.value, interval.symmetricUpper) << k;
        if (design == ErrorDesign::kIndependentSamples) {
          // From the samples so far, even one batch of them.
          const auto n = static_cast<double>(samples[k - 1]);
          EXPECT_EQ(point.coverageFactor, coverageFactor(n - 1.0));
          EXPECT_EQ(point.mean.error, pooledMoments(k).sd() / std::sqrt(n - 1.0));
          EXPECT_GT(point.symmetricLower.error, 0.0);
        }
      }
      if (design == ErrorDesign::kIndependentReplicates) {
        // From the spread of the replicates so far: none from one.
        EXPECT_TRUE(std::isnan(points[0].coverageFactor));
        EXPECT_TRUE(std::isnan(points[0].mean.error));
        EXPECT_TRUE(std::isnan(points[0].symmetricLower.error));
        EXPECT_EQ(points[1].coverageFactor, coverageFactor(1.0));
        const std::vector<double> weights = {estimates[0][0].moments->sumWeight(),
                                             estimates[0][1].moments->sumWeight()};
        const std::vector<double> means = {estimates[0][0].moments->mean(),
                                           estimates[0][1].moments->mean()};
        EXPECT_EQ(points[1].mean.error, batchStandardError(weights, means));
        EXPECT_GT(points[2].symmetricUpper.error, 0.0);
      }

      // The last point is the phase's own estimate, with the phase's errors.
      const ConvergencePoint& last = points.back();
      EXPECT_EQ(last.samples, 2560u);
      EXPECT_EQ(last.mean.value, bands_[0].moments->mean());
      const CoverageInterval own = *coverageInterval(*bands_[0].fine);
      EXPECT_EQ(last.symmetricLower.value, own.symmetricLower);
      EXPECT_EQ(last.symmetricUpper.value, own.symmetricUpper);
      EXPECT_EQ(last.coverageFactor, errors[0]->coverageFactor);
      EXPECT_EQ(last.mean.error, errors[0]->mean);
      EXPECT_EQ(last.symmetricLower.error, errors[0]->coverage->symmetricLower);
      EXPECT_EQ(last.symmetricUpper.error, errors[0]->coverage->symmetricUpper);
    }
  }
}

TEST_F(ConvergenceTest, NoneWithoutMomentsOrASecondBatchAndOneJobCountEach) {
  const BatchSums batches = count(1024);
  EXPECT_THROW(
      {
        try {
          const PhaseEstimates estimates = phaseEstimates(batches, bands_);
          convergenceSeries(PhaseErrorInputs{PointKind::kSobol, &bands_,
                                             &batches, &estimates},
                            {}, std::vector<std::uint64_t>{1, 2});
        } catch (const std::invalid_argument& e) {
          EXPECT_STREQ(e.what(),
                       "convergence: 2 batch job counts for 4 batches");
          throw;
        }
      },
      std::invalid_argument);

  // Counted without references: masses only.
  const CountLayout masses(bands_, {});
  BatchSums plain(masses, 2, 1024);
  // All of the mass in one batch: one batch holds mass.
  BatchSums lone(*layout_, 2, 1024);
  ChunkSums sums;
  sums.masses.assign(masses.bandTotal, 0.0);
  sums.masses[0] = 0.5;
  plain.addChunk(0, sums);
  plain.addChunk(1, sums);
  sums.moments.push_back(WeightedMoments(kReference));
  sums.moments.back().add(bands_[0].min, 0.5);
  lone.addChunk(0, sums);
  const std::vector<std::uint64_t> two = {10, 10};
  for (BatchSums* batchSums : {&plain, &lone}) {
    const PhaseEstimates estimates = phaseEstimates(*batchSums, bands_);
    EXPECT_FALSE(convergenceSeries(PhaseErrorInputs{PointKind::kSobol,
                                                    &bands_, batchSums, &estimates},
                                   {}, two)[0]);
  }
}

}  // namespace
}  // namespace linprob
