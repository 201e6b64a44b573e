#include "results/coverage_factor.h"

#include <gtest/gtest.h>

#include <cmath>

namespace linprob {
namespace {

TEST(CoverageFactor, StudentQuantilesForTheDegreesOfFreedom) {
  // Tables of Student's t, 0.975 quantile.
  EXPECT_NEAR(coverageFactor(1), 12.7062047361747, 1e-12);
  EXPECT_NEAR(coverageFactor(2), 4.30265272974946, 1e-12);
  EXPECT_NEAR(coverageFactor(15), 2.13144954555978, 1e-12);
  EXPECT_NEAR(coverageFactor(63), 1.99834054252074, 1e-12);
  EXPECT_NEAR(coverageFactor(2.5), 3.57465484200368, 1e-9);
  // Past the table, the expansion joins it and tends to the normal's.
  EXPECT_NEAR(coverageFactor(1000), coverageFactor(1000.0000001), 1e-11);
  EXPECT_NEAR(coverageFactor(1001), 1.96233670528088, 1e-12);
  EXPECT_NEAR(coverageFactor(1e6), 1.95996635681411, 1e-12);
  EXPECT_EQ(coverageFactor(INFINITY), kNormalQuantile975);
  EXPECT_TRUE(std::isnan(coverageFactor(0.5)));
  EXPECT_TRUE(std::isnan(coverageFactor(NAN)));
}

}  // namespace
}  // namespace linprob
