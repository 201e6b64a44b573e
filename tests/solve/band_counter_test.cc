#include "solve/band_counter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace linprob {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

PositionBands laid(double min, double max, int h) {
  PositionBands bands;
  bands.count = 1;
  bands.min = min;
  bands.max = max;
  layBorders(bands, h);
  return bands;
}

TEST(FixedPointMassesTest, AgreeWithFixedPointMassAndClearTheSums) {
  std::vector<double> values = {0.0,
                                1.0,
                                0.5,
                                0x1p-63,
                                3 * 0x1p-63,
                                5 * 0x1p-65,
                                0x1p-40 + 0x1p-63,
                                std::numeric_limits<double>::denorm_min(),
                                1.9999999999999998,
                                2.0,
                                3.5,
                                -0.25,
                                -0.0,
                                std::nan(""),
                                kInfinity,
                                1e-7};
  std::mt19937_64 random(3);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  while (values.size() < 4096) {
    values.push_back(std::ldexp(unit(random), -static_cast<int>(random() % 70)));
  }
  std::vector<double> sums = values;
  std::vector<std::uint64_t> counts(values.size(), 7);
  addFixedPointMasses(sums.data(), sums.size(), counts.data());
  for (std::size_t k = 0; k < values.size(); ++k) {
    EXPECT_EQ(counts[k], 7 + fixedPointMass(values[k])) << values[k];
    EXPECT_EQ(sums[k], 0.0);
  }
}

// One job of weight 1 at `value`: the band it is counted in, from the chunk's
// masses, and the sub-band of its fine count.
struct Counted {
  std::size_t band = 0;
  std::size_t subBand = 0;
};

Counted countOne(const PhaseBands& phase, double value, bool accumulate) {
  const CountLayout layout(phase, accumulate ? std::vector<double>{0.0}
                                             : std::vector<double>{});
  BandCounter counter(layout);
  JobBlock block(1);
  block.count = 1;
  block.entry(0)[0] = value;
  block.probabilities[0] = 1.0;
  counter.count(block);
  ChunkSums sums;
  counter.finishChunk(sums);
  Counted counted;
  std::size_t ones = 0;
  for (std::size_t k = 0; k < sums.masses.size(); ++k) {
    if (sums.masses[k] == 1.0) {
      counted.band = k;
      ++ones;
    } else {
      EXPECT_EQ(sums.masses[k], 0.0);
    }
  }
  EXPECT_EQ(ones, 1u);
  const auto fineCounts = counter.takeFineCounts();
  if (accumulate && !fineCounts[0].empty()) {
    const auto& fine = fineCounts[0];
    for (std::size_t f = 0; f < fine.size(); ++f) {
      if (fine[f] != 0) counted.subBand = f;
    }
  }
  return counted;
}

// Values on every border, one step below and above it, at Min and Max: the
// band from the sub-bands is the band of the exact comparisons, and the fine
// count lands in FineHistogram's sub-band. Among the ranges: more bands than
// sub-bands (sub-bands holding many borders), a range a few units in the last
// place wide (borders that stop moving), a zero range, and ranges that are
// not finite (no sub-bands at all).
TEST(BandCounterTest, SubBandsGiveTheBandsOfTheBorders) {
  struct Range {
    double min;
    double max;
    int h;
  };
  const Range ranges[] = {{0.0, 1.0, 10},          {-3.7, 12.1, 7},
                          {-1e-3, 2e5, 12},        {0.0, 1.0, 20000},
                          {0.1, 0.1 + 4e-17, 10},  {5.0, 5.0, 10},
                          {-kInfinity, 1.0, 4},    {-1e308, 1e308, 3}};
  for (const Range& r : ranges) {
    PhaseBands phase{laid(r.min, r.max, r.h)};
    const PositionBands& bands = phase[0];
    std::vector<double> values = {r.min, r.max};
    for (std::size_t k = 0; k + 1 < bands.borders.size(); k += 1 + k / 40) {
      const double b = bands.borders[k];
      values.push_back(std::nextafter(b, -kInfinity));
      values.push_back(b);
      values.push_back(std::nextafter(b, kInfinity));
    }
    for (double v : values) {
      if (v < r.min || v > r.max) continue;
      const Counted counted = countOne(phase, v, true);
      EXPECT_EQ(counted.band, bandIndex(bands, v))
          << "value " << v << " range " << r.min << " " << r.max;
      if (std::isfinite(r.max - r.min)) {
        EXPECT_EQ(counted.subBand, FineHistogram(r.min, r.max).subBand(v));
      }
      EXPECT_EQ(countOne(phase, v, false).band, counted.band);
    }
  }
}

// The moments' 16 lanes: job j into lane j mod 16, each lane as
// WeightedMoments::add adds, the lanes merged in order.
TEST(BandCounterTest, MomentsFollowTheLanesOfTheJobs) {
  PhaseBands phase{laid(-2.0, 3.0, 10)};
  const double reference = 0.37;
  const CountLayout layout(phase, {reference});
  BandCounter counter(layout);
  std::mt19937_64 random(8);
  std::uniform_real_distribution<double> value(-2.0, 3.0);
  std::uniform_real_distribution<double> weight(0.0, 1e-3);
  std::vector<WeightedMoments> lanes(16, WeightedMoments(reference));
  JobBlock block(1);
  for (std::size_t count : {kBlockJobs, std::size_t{37}, std::size_t{5}}) {
    block.count = count;
    for (std::size_t j = 0; j < count; ++j) {
      block.entry(0)[j] = value(random);
      block.probabilities[j] = weight(random);
      lanes[j % 16].add(block.entry(0)[j], block.probabilities[j]);
    }
    counter.count(block);
  }
  ChunkSums sums;
  counter.finishChunk(sums);
  WeightedMoments expected(reference);
  for (const WeightedMoments& lane : lanes) expected.merge(lane);
  ASSERT_EQ(sums.moments.size(), 1u);
  EXPECT_EQ(sums.moments[0].sumWeight(), expected.sumWeight());
  EXPECT_EQ(sums.moments[0].mean(), expected.mean());
  EXPECT_EQ(sums.moments[0].sd(), expected.sd());
}

// A reference far beyond the values (a plain solution of 1e200 beside
// values on [-1, 1]) is taken to the nearer end of [Min, Max]: the moments
// keep their digits instead of an sd of 0 (the squares about 1e200
// overflowed, and the mean lost every digit to cancellation).
TEST(BandCounterTest, AReferenceBeyondTheValuesIsTakenToTheirNearerEnd) {
  PhaseBands phase{laid(-1.0, 1.0, 10)};
  const CountLayout layout(phase, {1e200});
  EXPECT_EQ(layout.positions[0].reference, 1.0);
  EXPECT_EQ(CountLayout(phase, {-3.0}).positions[0].reference, -1.0);
  EXPECT_EQ(CountLayout(phase, {0.25}).positions[0].reference, 0.25);

  BandCounter counter(layout);
  JobBlock block(1);
  block.count = 2;
  block.entry(0)[0] = -1.0;
  block.entry(0)[1] = 1.0;
  block.probabilities[0] = 0.5;
  block.probabilities[1] = 0.5;
  counter.count(block);
  ChunkSums sums;
  counter.finishChunk(sums);
  ASSERT_EQ(sums.moments.size(), 1u);
  EXPECT_EQ(sums.moments[0].mean(), 0.0);
  EXPECT_EQ(sums.moments[0].sd(), 1.0);
}

}  // namespace
}  // namespace linprob
