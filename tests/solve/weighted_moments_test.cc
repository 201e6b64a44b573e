#include "solve/weighted_moments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>

namespace linprob {
namespace {

TEST(WeightedMoments, MeanAndDeviationAboutTheReference) {
  // d = -1, 0, 1 with weights 1/4, 1/2, 1/4: every sum is exact.
  WeightedMoments moments(2.0);
  moments.add(1.0, 0.25);
  moments.add(2.0, 0.5);
  moments.add(3.0, 0.25);
  EXPECT_EQ(moments.sumWeight(), 1.0);
  EXPECT_EQ(moments.mean(), 2.0);
  EXPECT_EQ(moments.sd(), std::sqrt(0.5));

  EXPECT_TRUE(std::isnan(WeightedMoments(1.0).sd()));  // no weight
  // A single value: no spread, and no NaN from a rounded-negative variance.
  WeightedMoments single(0.1);
  single.add(0.3, 0.7);
  EXPECT_EQ(single.sd(), 0.0);
}

// Values near 1e9 spread by 1e-3: about the reference the deviation keeps
// its digits, where sums of raw squares (about 1e18) would lose all of them.
TEST(WeightedMoments, StaysAccurateFarFromZero) {
  WeightedMoments moments(1e9);
  for (int k = -500; k <= 500; ++k) moments.add(1e9 + 1e-6 * k, 1.0 / 1001);
  // Exact sd of the 1001 equally weighted offsets is 1e-6 sqrt(83500):
  // sqrt(sum k^2 / 1001). The offsets themselves are rounded to the quantum
  // of 1e9 (about 1.2e-7, against a deviation of 2.9e-4), hence 0.5 %.
  const double exact = 1e-6 * std::sqrt(83500.0);
  EXPECT_NEAR(moments.sd(), exact, 5e-3 * exact);
  EXPECT_NEAR(moments.mean(), 1e9, 1e-6);
}

TEST(WeightedMoments, MergeAddsSumsAndNeedsTheSameReference) {
  WeightedMoments whole(0.5);
  WeightedMoments left(0.5);
  WeightedMoments right(0.5);
  const double values[] = {0.25, 0.75, 1.5, -0.5};
  const double weights[] = {0.125, 0.25, 0.5, 0.125};
  for (int k = 0; k < 4; ++k) {
    whole.add(values[k], weights[k]);
    (k < 2 ? left : right).add(values[k], weights[k]);
  }
  left.merge(right);
  // Dyadic data: all sums exact, so the merge equals the single pass.
  EXPECT_EQ(left.mean(), whole.mean());
  EXPECT_EQ(left.sd(), whole.sd());
  EXPECT_EQ(left.sumWeight(), 1.0);

  WeightedMoments other(0.0);
  try {
    left.merge(other);
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "weighted moments: merge with another reference");
  }
}

}  // namespace
}  // namespace linprob
