#include "results/coverage_interval.h"

#include <gtest/gtest.h>

#include <vector>

namespace linprob {
namespace {

// A histogram over [0, S) (border k is k) whose sub-band k holds units[k]
// units of 2^-8 (exact fixed-point counts).
FineHistogram histogramOf(const std::vector<int>& units) {
  FineHistogram h(0.0, static_cast<double>(units.size()), units.size());
  for (std::size_t k = 0; k < units.size(); ++k) {
    h.add(static_cast<double>(k) + 0.5, units[k] * 0x1p-8);
  }
  return h;
}

TEST(CoverageInterval, ThresholdsAreInclusiveAndExact) {
  // Total 40 units: exactly 2.5 % below border 1 and exactly 97.5 % below
  // border 3, so both borders qualify; 95 % is 38 units.
  const auto c = coverageInterval(histogramOf({1, 18, 20, 1}));
  ASSERT_TRUE(c);
  EXPECT_EQ(c->symmetricLower, 1.0);
  EXPECT_EQ(c->symmetricUpper, 3.0);
  EXPECT_EQ(c->shortestLower, 1.0);
  EXPECT_EQ(c->shortestUpper, 3.0);
  EXPECT_EQ(c->resolution, 1.0);
  // One unit more on the left end moves the lower border back to 0.
  const auto d = coverageInterval(histogramOf({2, 17, 20, 1}));
  ASSERT_TRUE(d);
  EXPECT_EQ(d->symmetricLower, 0.0);
}

TEST(CoverageInterval, ShortestIntervalFindsTheNarrowWindow) {
  // Long light tail on the left, mass piled on the right.
  std::vector<int> units(32, 0);
  units[0] = 1;
  units[10] = 1;
  units[28] = 30;
  units[29] = 40;
  units[31] = 8;  // total 80: 95 % is 76 units
  const auto c = coverageInterval(histogramOf(units));
  ASSERT_TRUE(c);
  EXPECT_EQ(c->shortestLowerBorder, 28u);
  EXPECT_EQ(c->shortestUpperBorder, 32u);
  // 2 units (2.5 %) lie below every border from 11 to 28: the largest wins.
  EXPECT_EQ(c->symmetricLowerBorder, 28u);
  EXPECT_EQ(c->symmetricUpperBorder, 32u);  // 78 units only at the end
  // Equal windows [0, 3] and [1, 4]: the leftmost wins.
  const auto tie = coverageInterval(histogramOf({2, 18, 18, 2}));
  ASSERT_TRUE(tie);
  EXPECT_EQ(tie->shortestLower, 0.0);
  EXPECT_EQ(tie->shortestUpper, 3.0);
}

TEST(CoverageInterval, NoMassNoInterval) {
  EXPECT_FALSE(coverageInterval(FineHistogram(0.0, 1.0, 16)));
}

}  // namespace
}  // namespace linprob
