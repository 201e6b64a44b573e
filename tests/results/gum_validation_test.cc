#include "results/gum_validation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace linprob {
namespace {

TEST(GumValidation, WorkedAdditiveExample) {
  // y = 0, u = 2: U = 3.919928, delta = 0.05.
  const GumValidation close = validateAgainstCoverage(0, 2, -3.92, 3.92, 0.001);
  EXPECT_EQ(close.delta, 0.05);
  EXPECT_EQ(close.validated, true);
  EXPECT_EQ(close.dLow, close.dHigh);
  EXPECT_LT(close.dLow, 1e-4);

  const GumValidation inside = validateAgainstCoverage(0, 2, -3.88, 3.88, 0.001);
  EXPECT_NEAR(inside.dHigh, 0.04, 1e-4);  // 0.039928
  EXPECT_EQ(inside.validated, true);

  const GumValidation wide = validateAgainstCoverage(0, 2, -3.8, 3.8, 0.001);
  EXPECT_NEAR(wide.dLow, 0.12, 1e-4);  // 0.119928
  EXPECT_EQ(wide.validated, false);

  // Only one side off is enough to fail.
  const GumValidation skewed = validateAgainstCoverage(1, 2, -2.92, 5.0, 0.001);
  EXPECT_EQ(skewed.validated, false);
}

TEST(GumValidation, NoVerdictWithoutSpreadOrWithACoarseHistogram) {
  const GumValidation coarse = validateAgainstCoverage(0, 2, -3.92, 3.92, 0.011);
  EXPECT_EQ(coarse.delta, 0.05);
  EXPECT_FALSE(coarse.validated.has_value());
  const GumValidation point = validateAgainstCoverage(1, 0, 1, 1, 0);
  EXPECT_TRUE(std::isnan(point.delta));
  EXPECT_FALSE(point.validated.has_value());
  EXPECT_EQ(point.dLow, 0.0);
}

TEST(GumValidation, DeltaKeepsTwoSignificantDigitsOfU) {
  EXPECT_EQ(validateAgainstCoverage(0, 0.0123, 0, 0, 0).delta, 5e-4);
  EXPECT_EQ(validateAgainstCoverage(0, 99.9, 0, 0, 0).delta, 0.5);
  EXPECT_EQ(validateAgainstCoverage(0, 100, 0, 0, 0).delta, 5.0);
  // The exponent is exact where a logarithm may be off by one: the double
  // 1e23 lies below 10^23, the double 0.001 above 10^-3.
  EXPECT_EQ(decimalExponent(1e23), 22);
  EXPECT_EQ(decimalExponent(0.001), -3);
  EXPECT_EQ(decimalExponent(std::nextafter(0.001, 0.0)), -4);
  EXPECT_EQ(decimalExponent(std::numeric_limits<double>::denorm_min()), -324);
}

}  // namespace
}  // namespace linprob
