#include "results/digits_rule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

namespace linprob {
namespace {

TEST(DigitsRule, ToleranceIsHalfTheLastSignificantDigit) {
  EXPECT_EQ(numericalTolerance(0.0123, 2), 0.0005);
  EXPECT_EQ(numericalTolerance(-0.0123, 2), 0.0005);
  EXPECT_EQ(numericalTolerance(0.0123, 1), 0.005);
  EXPECT_EQ(numericalTolerance(0.0123, 3), 0.00005);
  EXPECT_EQ(numericalTolerance(1.23, 1), 0.5);
  EXPECT_EQ(numericalTolerance(123.4, 3), 0.5);
  EXPECT_EQ(numericalTolerance(98765.0, 4), 5.0);
  // Rounding first: 0.0999 is 0.10 to two digits, 9.96 is 10.
  EXPECT_EQ(numericalTolerance(0.0999, 2), 0.005);
  EXPECT_EQ(numericalTolerance(0.0994, 2), 0.0005);
  EXPECT_EQ(numericalTolerance(9.96, 2), 0.5);
  EXPECT_EQ(numericalTolerance(9.94, 2), 0.05);
  EXPECT_EQ(numericalTolerance(1e-300, 1), 5e-301);
  EXPECT_EQ(numericalTolerance(0.0, 2), 0.0);
  EXPECT_TRUE(std::isnan(
      numericalTolerance(std::numeric_limits<double>::infinity(), 2)));
  for (const int digits : {0, 5}) {
    try {
      numericalTolerance(1.0, digits);
      ADD_FAILURE();
    } catch (const std::invalid_argument& error) {
      EXPECT_EQ(std::string(error.what()),
                "digits: " + std::to_string(digits) +
                    " is not within 1 ... 4");
    }
  }
}

TEST(DigitsRule, EveryErrorOfEveryUnknownMustFit) {
  // sd 0.0123 at two digits: delta 0.0005, so errors up to 0.00025.
  const UnknownPrecision fits{0.0123, 0.00025, 0.0001, 0.0002, 0.00025};
  EXPECT_TRUE(precisionReached(std::vector{fits}, 2));
  EXPECT_FALSE(precisionReached(std::vector{fits}, 3));
  for (int which = 0; which < 4; ++which) {
    UnknownPrecision over = fits;
    double* errors[] = {&over.meanError, &over.sdError,
                        &over.symmetricLowerError, &over.symmetricUpperError};
    *errors[which] = 0.00026;
    EXPECT_FALSE(precisionReached(std::vector{fits, over}, 2)) << which;
    *errors[which] = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(precisionReached(std::vector{over}, 2)) << which;
  }
  // The errors count with their coverage factor: from few replicates, a k
  // of 4.3 asks for errors below 0.0005 / 4.3.
  UnknownPrecision few = fits;
  few.coverageFactor = 4.302652729749464;
  EXPECT_FALSE(precisionReached(std::vector{few}, 2));
  few.meanError = few.sdError = few.symmetricLowerError =
      few.symmetricUpperError = 0.000116;
  EXPECT_TRUE(precisionReached(std::vector{few}, 2));
  // A constant unknown: sd 0 and no spread.
  EXPECT_TRUE(precisionReached(std::vector{UnknownPrecision{}, fits}, 2));
  EXPECT_FALSE(precisionReached(std::vector<UnknownPrecision>{}, 2));
}

TEST(DigitsRule, TheGrowthNeededIsTheWorstErrorsSquaredRatio) {
  // delta 0.0005: the worst error 0.001 asks for (2 * 0.001 / 0.0005)^2.
  const UnknownPrecision fits{0.0123, 0.00025, 0.0001, 0.0002, 0.00025};
  UnknownPrecision wide = fits;
  wide.sdError = 0.001;
  EXPECT_NEAR(neededGrowth(std::vector{fits, wide}, 2), 16.0, 1e-9);
  EXPECT_LE(neededGrowth(std::vector{fits}, 2), 1.0);
  // (k * 0.001 / 0.0005)^2 with k = 3.
  UnknownPrecision three = wide;
  three.coverageFactor = 3.0;
  EXPECT_NEAR(neededGrowth(std::vector{three}, 2), 36.0, 1e-9);
  // Nothing is known to be enough without errors, or with spread beside a
  // zero sd; a constant unknown needs nothing.
  constexpr double kNone = std::numeric_limits<double>::infinity();
  wide.meanError = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(neededGrowth(std::vector{fits, wide}, 2), kNone);
  EXPECT_EQ(neededGrowth(std::vector{UnknownPrecision{0.0, 1e-9, 0, 0, 0}}, 2),
            kNone);
  EXPECT_EQ(neededGrowth(std::vector{UnknownPrecision{}}, 2), 0.0);
  EXPECT_EQ(neededGrowth(std::vector<UnknownPrecision>{}, 2), kNone);
}

}  // namespace
}  // namespace linprob
