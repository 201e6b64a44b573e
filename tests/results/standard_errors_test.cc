#include "results/standard_errors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "results/batch_spread.h"
#include "results/coverage_factor.h"
#include "results/coverage_interval.h"
#include "results/shortest_errors.h"
#include "solve/touched_sub_bands.h"

namespace linprob {
namespace {

// Four batches of 512 jobs (two chunks of 256 each) of two positions, with
// weights 1/2048 (sums of them are exact, so fixed-point counts of sums and
// of single weights agree), counted the way the counting pass does it, with
// the phase's own moments and fine histogram.
class StandardErrorsTest : public ::testing::Test {
 protected:
  static constexpr std::size_t kBatches = 4;
  static constexpr std::size_t kJobs = 512;
  static constexpr double kWeight = 1.0 / 2048.0;

  StandardErrorsTest() : values_(2), bands_(2) {
    std::mt19937_64 engine(3);
    std::normal_distribution<double> normal(2.0, 0.5);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    for (std::size_t j = 0; j < kBatches * kJobs; ++j) {
      values_[0].push_back(normal(engine));
      values_[1].push_back(uniform(engine));
    }
    const double references[2] = {2.0, 0.0};
    for (std::size_t e = 0; e < 2; ++e) {
      const auto [min, max] = std::minmax_element(values_[e].begin(),
                                                  values_[e].end());
      PositionBands& bands = bands_[e];
      bands.count = values_[e].size();
      bands.min = *min;
      bands.max = *max;
      layBorders(bands, 6);
      bands.moments.emplace(references[e]);
      bands.fine.emplace(bands.min, bands.max);
      for (const double x : values_[e]) {
        bands.masses[bandIndex(bands, x)] += kWeight;
        bands.moments->add(x, kWeight);
        bands.fine->add(x, kWeight);
      }
    }
    layout_.emplace(bands_, std::vector<double>{2.0, 0.0});
  }

  void feed(BatchSums& batches) const {
    for (std::size_t chunk = 0; chunk < 2 * kBatches; ++chunk) {
      ChunkSums sums;
      sums.masses.assign(layout_->bandTotal, 0.0);
      for (std::size_t e = 0; e < 2; ++e) {
        const PositionLayout& own = layout_->positions[e];
        WeightedMoments moments(own.reference);
        std::vector<double> subBands(kFineSubBands, 0.0);
        const FineHistogram probe(bands_[e].min, bands_[e].max);
        for (std::size_t j = chunk * kJobs / 2; j < (chunk + 1) * kJobs / 2;
             ++j) {
          const double x = values_[e][j];
          sums.masses[own.offset + bandIndex(bands_[e], x)] += kWeight;
          moments.add(x, kWeight);
          subBands[probe.subBand(x)] += kWeight;
        }
        sums.moments.push_back(moments);
        std::vector<double> none(kFineSubBands, 0.0);
        const std::vector<std::uint64_t> every(kSubBandWords,
                                               ~std::uint64_t{0});
        batches.addSubBandChanges(chunk / 2, e, subBands.data(), every.data(),
                                  none.data());
      }
      batches.addChunk(chunk / 2, sums);
    }
  }

  // The sd of values [first, end) but those of batch `left` (none: 4).
  double sdWithout(std::size_t e, std::size_t left) const {
    double sum = 0.0;
    double count = 0.0;
    for (std::size_t j = 0; j < values_[e].size(); ++j) {
      if (j / kJobs == left) continue;
      sum += values_[e][j];
      count += 1.0;
    }
    const double mean = sum / count;
    double squares = 0.0;
    for (std::size_t j = 0; j < values_[e].size(); ++j) {
      if (j / kJobs == left) continue;
      squares += (values_[e][j] - mean) * (values_[e][j] - mean);
    }
    return std::sqrt(squares / count);
  }

  std::vector<std::vector<double>> values_;
  PhaseBands bands_;
  std::optional<CountLayout> layout_;
};

TEST_F(StandardErrorsTest, ReplicatesSpreadAndJackknife) {
  BatchSums batches(*layout_, kBatches, 1024);
  feed(batches);
  const PhaseEstimates estimates = phaseEstimates(batches, bands_);
  const auto errors = standardErrors(PhaseErrorInputs{
      PointKind::kLatinHypercube, &bands_, &batches, &estimates});
  ASSERT_EQ(errors.size(), 2u);
  for (std::size_t e = 0; e < 2; ++e) {
    SCOPED_TRACE(e);
    ASSERT_TRUE(errors[e] && errors[e]->coverage);
    const PositionErrors& u = *errors[e];
    EXPECT_EQ(u.design, ErrorDesign::kIndependentReplicates);
    EXPECT_EQ(u.degreesOfFreedom, 3.0);
    EXPECT_EQ(u.coverageFactor, coverageFactor(3.0));
    // Means and masses: the spread of the replicates' own.
    std::vector<double> means;
    std::vector<std::vector<double>> masses(bands_[e].masses.size());
    for (std::size_t r = 0; r < kBatches; ++r) {
      double sum = 0.0;
      std::vector<double> own(bands_[e].masses.size(), 0.0);
      for (std::size_t j = r * kJobs; j < (r + 1) * kJobs; ++j) {
        sum += values_[e][j];
        own[bandIndex(bands_[e], values_[e][j])] += 1.0 / kJobs;
      }
      means.push_back(sum / kJobs);
      for (std::size_t b = 0; b < own.size(); ++b) masses[b].push_back(own[b]);
    }
    const std::vector<double> equal(kBatches, 1.0);
    EXPECT_NEAR(u.mean, batchStandardError(equal, means), 1e-12);
    // A mass is known to one sample's share at best, beside the spread.
    const double sample = 1.0 / (kBatches * kJobs);
    for (std::size_t b = 0; b < masses.size(); ++b) {
      EXPECT_NEAR(u.masses[b],
                  std::hypot(batchStandardError(equal, masses[b]), sample),
                  1e-12);
    }
    // The sd: the jackknife of the phase's sd without each replicate.
    std::vector<double> leftOut;
    for (std::size_t r = 0; r < kBatches; ++r) leftOut.push_back(sdWithout(e, r));
    EXPECT_NEAR(u.sd,
                jackknifeError(std::vector<double>(kBatches, 0.25),
                               sdWithout(e, kBatches), leftOut),
                1e-12);
    // The ends: Woodruff's bound at the 2.5 % points; the shortest's from
    // the replicates as subsamples.
    EXPECT_GT(u.coverage->symmetricLower, 0.0);
    EXPECT_GT(u.coverage->symmetricUpper, 0.0);
    std::vector<double> lows;
    for (const BatchEstimate& estimate : estimates[e]) {
      lows.push_back(estimate.coverage->shortestLower);
    }
    // Replicates of 512 samples: just enough to be subsamples; and the ties
    // of the least width, half their span, beside.
    std::vector<double> highs;
    for (const BatchEstimate& estimate : estimates[e]) {
      highs.push_back(estimate.coverage->shortestUpper);
    }
    const TieSpans spans = tieSpans(*bands_[e].fine);
    const double spread =
        subsampleError(std::vector<double>(4, 0.25), lows, 1.0 / 3.0);
    EXPECT_NEAR(u.coverage->shortestLower,
                std::hypot(spread, spans.lower / 2.0), 1e-12);
    EXPECT_GT(u.coverage->shortestUpper,
              subsampleError(std::vector<double>(4, 0.25), highs, 1.0 / 3.0) *
                  0.999);
    EXPECT_EQ(u.coverageReason, "");
  }
}

TEST_F(StandardErrorsTest, IndependentSamplesFromTheSamples) {
  BatchSums batches(*layout_, kBatches, 1024);
  feed(batches);
  const PhaseEstimates estimates = phaseEstimates(batches, bands_);
  const auto errors = standardErrors(PhaseErrorInputs{
      PointKind::kRandom, &bands_, &batches, &estimates});
  const double n = kBatches * kJobs;
  for (std::size_t e = 0; e < 2; ++e) {
    SCOPED_TRACE(e);
    ASSERT_TRUE(errors[e] && errors[e]->coverage);
    const PositionErrors& u = *errors[e];
    EXPECT_EQ(u.design, ErrorDesign::kIndependentSamples);
    EXPECT_EQ(u.coverageFactor, coverageFactor(n - 1.0));
    const double sd = bands_[e].moments->sd();
    EXPECT_EQ(u.mean, sd / std::sqrt(n - 1.0));
    // Agresti and Coull's adjusted share of each band.
    for (std::size_t b = 0; b < bands_[e].masses.size(); ++b) {
      const double c = std::round(bands_[e].masses[b] * n);
      const double q = (c + 2.0) / (n + 4.0);
      EXPECT_NEAR(u.masses[b], std::sqrt(q * (1.0 - q) / n), 1e-15);
    }
    // The delta method's error of the sd from the fourth central moment of
    // the values themselves (the histogram's is that within its
    // sub-bands).
    const double mean = bands_[e].moments->mean();
    double m4 = 0.0;
    for (const double x : values_[e]) m4 += std::pow(x - mean, 4) / n;
    const double bias = 3.0 * sd / (4.0 * n);
    const double expected = std::sqrt(
        (m4 - std::pow(sd, 4)) / (4.0 * sd * sd * (n - 3.0)) + bias * bias);
    EXPECT_NEAR(u.sd, expected, 1e-4 * expected);
    EXPECT_GT(u.coverage->symmetricLower, 0.0);
    EXPECT_GT(u.coverage->shortestUpper, 0.0);
  }
  // Without batches the shortest interval's ends have no error, and the
  // reason says so.
  const auto alone = standardErrors(
      PhaseErrorInputs{PointKind::kRandom, &bands_});
  ASSERT_TRUE(alone[0] && alone[0]->coverage);
  EXPECT_EQ(alone[0]->mean, errors[0]->mean);
  EXPECT_GT(alone[0]->coverage->symmetricLower, 0.0);
  EXPECT_TRUE(std::isnan(alone[0]->coverage->shortestLower));
  EXPECT_NE(alone[0]->coverageReason, "");
}

TEST_F(StandardErrorsTest, FewSamplesGiveNoEndsButAllTheRest) {
  // Sixty-four samples: no bound on a 2.5 % tail can be had from them.
  PhaseBands few(1);
  PositionBands& bands = few[0];
  bands.count = 64;
  bands.min = -2.0;
  bands.max = 2.0;
  layBorders(bands, 4);
  bands.moments.emplace(0.0);
  bands.fine.emplace(bands.min, bands.max);
  for (int j = 0; j < 64; ++j) {
    const double x = -2.0 + 4.0 * j / 63.0;
    bands.masses[bandIndex(bands, x)] += 1.0 / 64.0;
    bands.moments->add(x, 1.0 / 64.0);
    bands.fine->add(x, 1.0 / 64.0);
  }
  const auto errors =
      standardErrors(PhaseErrorInputs{PointKind::kRandom, &few});
  ASSERT_TRUE(errors[0] && errors[0]->coverage);
  EXPECT_GT(errors[0]->mean, 0.0);
  EXPECT_GT(errors[0]->sd, 0.0);
  EXPECT_TRUE(std::isnan(errors[0]->coverage->symmetricLower));
  EXPECT_EQ(errors[0]->coverageReason,
            "fewer than about 220 samples: no bound on a 2.5 % tail");
  // One sample has no error at all.
  few[0].count = 1;
  EXPECT_FALSE(standardErrors(
      PhaseErrorInputs{PointKind::kRandom, &few})[0]);
}

TEST_F(StandardErrorsTest, ReplicatesWithMassesAloneAndNothingFromOne) {
  // A phase counted without references: band masses only.
  const CountLayout masses(bands_, {});
  BatchSums plain(masses, 2, 1024);
  BatchSums lone(masses, 1, 1024);
  for (std::size_t r = 0; r < 2; ++r) {
    ChunkSums sums;
    sums.masses.assign(masses.bandTotal, 0.0);
    sums.masses[r] = 0.5;  // all of batch r in band r of position 0
    sums.masses[masses.positions[1].offset] = 0.5;
    plain.addChunk(r, sums);
    lone.addChunk(0, sums);
  }
  PhaseBands counted = bands_;
  for (PositionBands& bands : counted) {
    bands.moments.reset();
    bands.fine.reset();
  }
  const PhaseEstimates plainEstimates = phaseEstimates(plain, counted);
  const auto errors = standardErrors(PhaseErrorInputs{
      PointKind::kLatinHypercube, &counted, &plain, &plainEstimates});
  ASSERT_TRUE(errors[0]);
  // Estimates 1 and 0 in bands 1 and 2, weights 1/2: u = 1/2, times W = 1;
  // a band no replicate reaches keeps one sample's share (of 2048).
  const double sample = 1.0 / 2048.0;
  EXPECT_EQ(errors[0]->masses[0], std::hypot(0.5, sample));
  EXPECT_EQ(errors[0]->masses[1], std::hypot(0.5, sample));
  EXPECT_EQ(errors[0]->masses[2], sample);
  EXPECT_EQ(errors[1]->masses[0], sample);
  EXPECT_TRUE(std::isnan(errors[0]->mean));
  EXPECT_FALSE(errors[0]->coverage);
  const PhaseEstimates loneEstimates = phaseEstimates(lone, counted);
  EXPECT_FALSE(standardErrors(PhaseErrorInputs{PointKind::kLatinHypercube,
                                               &counted, &lone,
                                               &loneEstimates})[0]);
}

}  // namespace
}  // namespace linprob
