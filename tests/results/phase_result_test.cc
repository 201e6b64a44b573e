#include "results/phase_result.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "support/phase_text.h"

namespace linprob {
namespace {

using testing::phaseOfSamples;
using testing::SampleTable;

using Bands = std::vector<std::pair<double, double>>;  // (border, mass)

Bands validBands(const PositionResult& position) {
  Bands bands;
  for (std::size_t k = 0; k < position.valid.borders.size(); ++k) {
    bands.emplace_back(position.valid.borders[k], position.valid.masses[k]);
  }
  return bands;
}

double up(double x, int ulps) {
  for (int k = 0; k < ulps; ++k) x = std::nextafter(x, 2.0 * x + 1.0);
  return x;
}

TEST(PhaseResultTest, WorkedExampleHasEveryBand) {
  const PhaseResult phase = phaseOfSamples(
      {{{0, 0.25}, {1, 0.25}, {1, 0.25}, {4, 0.25}}}, 4, {0});
  const PositionResult& position = phase.positions[0];
  EXPECT_EQ(validBands(position), (Bands{{1, 0.75}, {2, 0}, {3, 0}, {4, 0.25}}));
  EXPECT_EQ(position.valid.min, 0.0);
  // Without moments there is no approximation.
  EXPECT_FALSE(position.hasInvalid());
}

TEST(PhaseResultTest, EqualSamplesMakeOneBandAndTailsThatMeet) {
  const PhaseResult phase =
      phaseOfSamples({{{5, 0.5}, {5, 0.5}}}, 10, {0}, {{4.0, 1.0}});
  const PositionResult& position = phase.positions[0];
  EXPECT_EQ(validBands(position), (Bands{{5, 1}}));
  ASSERT_TRUE(position.hasInvalid());
  EXPECT_TRUE(position.invalid.masses.empty());
  EXPECT_EQ(position.invalid.upperBorder, 5.0);
  EXPECT_NEAR(position.invalid.lowerTail + position.invalid.upperTail, 1.0,
              1e-15);
}

// 0.1 added ten times to 0 gives 0.9999999999999999, just below Max = 1, so
// an eleventh band holds the largest sample, and the approximation walks it
// too.
TEST(PhaseResultTest, EleventhBandWhenTheTenthBorderRoundsBelowMax) {
  std::vector<double> borders;
  double border = 0.0;
  for (int k = 0; k < 11; ++k) {
    border = border + 0.1;
    borders.push_back(border);
  }
  ASSERT_LT(borders[9], 1.0) << "the case needs b10 below Max";
  const PhaseResult phase = phaseOfSamples(
      {{{0, 0.25}, {0.25, 0.25}, {1, 0.5}}}, 10, {0}, {{0.5, 0.04}});
  const PositionResult& position = phase.positions[0];
  EXPECT_EQ(position.valid.borders, borders);
  EXPECT_EQ(position.valid.masses.back(), 0.5);
  EXPECT_EQ(position.invalid.masses.size(), 11u);
  EXPECT_EQ(position.invalid.upperBorder, borders.back());
}

// Min = 1, Max two ulps above: step no longer moves a border; one band.
TEST(PhaseResultTest, BordersThatDoNotMoveEndTheWalk) {
  const PhaseResult phase = phaseOfSamples(
      {{{1, 0.25}, {up(1.0, 1), 0.25}, {up(1.0, 2), 0.5}}}, 10, {0},
      {{1.0, 1.0}});
  EXPECT_EQ(validBands(phase.positions[0]), (Bands{{1, 1}}));
  EXPECT_TRUE(phase.positions[0].invalid.masses.empty());
}

// A range of a few ulps where every border moves by one ulp but H + 1 bands
// still end below Max: the walk stops at H + 1 bands and the last one takes
// the rest.
TEST(PhaseResultTest, WalkNeverOpensMoreThanHPlusOneBands) {
  constexpr int kH = 10;
  int ulps = 0;
  for (int k = kH + 1; k < 64 && ulps == 0; ++k) {
    const double step = (up(1.0, k) - 1.0) / kH;
    double border = 1.0;
    bool moves = true;
    for (int b = 0; b < kH + 1; ++b) {
      const double next = border + step;
      moves = moves && next != border;
      border = next;
    }
    if (moves && border < up(1.0, k)) ulps = k;
  }
  ASSERT_NE(ulps, 0) << "no range found whose H + 1 borders stay below Max";
  const PhaseResult phase = phaseOfSamples(
      {{{1, 0.25}, {up(1.0, ulps - 1), 0.25}, {up(1.0, ulps), 0.5}}}, kH, {0},
      {{1.0, 1.0}});
  const Bands bands = validBands(phase.positions[0]);
  ASSERT_EQ(bands.size(), static_cast<std::size_t>(kH + 1));
  EXPECT_LT(bands.back().first, up(1.0, ulps));
  EXPECT_EQ(bands.front().second, 0.25);
  EXPECT_EQ(bands.back().second, 0.75);
  EXPECT_EQ(phase.positions[0].invalid.masses.size(), bands.size());
}

// The approximation is evaluated over exactly the histogram's bands, each
// with a positive probability, while the histogram keeps every sample.
TEST(PhaseResultTest, ApproximationCoversTheHistogramsBands) {
  const std::vector<std::pair<std::vector<double>, int>> cases{
      {{0, 0.25, 1}, 10}, {{-0.3, 0.05, 0.7123}, 7},
      {{1e6 + 0.1, 1e6 + 0.37}, 3}, {{1, up(1.0, 5), up(1.0, 12)}, 10}};
  for (const auto& [values, h] : cases) {
    SampleTable table(1);
    for (double v : values) table[0].push_back({v, 0.125});
    const double mid = (values.front() + values.back()) / 2;
    const double spread = (values.back() - values.front()) / 2;
    const PhaseResult phase =
        phaseOfSamples(table, h, {0}, {{mid, spread * spread}});
    const PositionResult& position = phase.positions[0];
    ASSERT_TRUE(position.hasInvalid());
    EXPECT_LE(position.valid.borders.size(), static_cast<std::size_t>(h + 1));
    ASSERT_EQ(position.invalid.masses.size(), position.valid.borders.size());
    double mass = 0.0;
    for (std::size_t k = 0; k < position.valid.masses.size(); ++k) {
      EXPECT_GT(position.invalid.masses[k], 0.0) << k;
      mass += position.valid.masses[k];
    }
    EXPECT_EQ(mass, 0.125 * static_cast<double>(values.size()));
    EXPECT_EQ(position.invalid.upperBorder, position.valid.borders.back());
  }
}

TEST(PhaseResultTest, ApproximationIsTheNormalCdfAtTheBorders) {
  const PhaseResult phase =
      phaseOfSamples({{{-2, 0.5}, {2, 0.5}}}, 2, {0}, {{0.0, 4.0}});
  const NormalTable& table = phase.positions[0].invalid;
  EXPECT_NEAR(table.lowerTail, 0.15865525393145707, 1e-15);
  ASSERT_EQ(table.masses.size(), 2u);
  EXPECT_NEAR(table.masses[0], 0.34134474606854293, 1e-15);
  EXPECT_NEAR(table.masses[1], 0.34134474606854293, 1e-15);
  EXPECT_NEAR(table.upperTail, 0.15865525393145707, 1e-15);
}

TEST(PhaseResultTest, PositionsWithoutApproximationOrSamples) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const SampleTable table{{{0, 1}}, {}, {{0, 0.5}, {1, 0.5}}, {{0, 1}}};
  const PhaseResult phase = phaseOfSamples(
      table, 2, {2, 1, 0, 3}, {{0, inf}, {0, 1}, {nan, 1}, {0, -1}});
  ASSERT_EQ(phase.positions.size(), 4u);
  EXPECT_EQ(phase.positions[0].unknown, 2u);
  EXPECT_EQ(phase.positions[0].approxState, ApproxState::kNotFinite);
  EXPECT_FALSE(phase.positions[1].solved());
  EXPECT_FALSE(phase.positions[1].hasInvalid());
  EXPECT_EQ(phase.positions[2].approxState, ApproxState::kNotFinite);
  EXPECT_EQ(phase.positions[3].approxState, ApproxState::kNegativeVariance);
  for (const PositionResult& position : phase.positions) {
    EXPECT_FALSE(position.hasInvalid()) << position.unknown;
  }
}

}  // namespace
}  // namespace linprob
