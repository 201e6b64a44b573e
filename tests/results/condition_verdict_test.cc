#include "results/condition_verdict.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace linprob {
namespace {

TEST(ConditionVerdictTest, TheCertifiedNumberWinsOverTheEstimate) {
  const auto certified = conditionVerdict(2.0, 5e12);
  ASSERT_TRUE(certified);
  EXPECT_EQ(certified->conditionNumber, 2.0);
  EXPECT_EQ(certified->source, ConditionSource::kCertified);
  EXPECT_EQ(certified->level, ConditionLevel::kWell);
  EXPECT_EQ(certified->text, "well conditioned");

  const auto estimated = conditionVerdict(std::nullopt, 5e12);
  ASSERT_TRUE(estimated);
  EXPECT_EQ(estimated->source, ConditionSource::kEstimate);
  EXPECT_EQ(estimated->level, ConditionLevel::kIll);

  // Nothing to decide from: no number, or one that is no condition number.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(conditionVerdict(std::nullopt, std::nullopt));
  EXPECT_FALSE(conditionVerdict(nan, inf));
  EXPECT_FALSE(conditionVerdict(0.0, std::nullopt));
  // A certified number that is not usable leaves the estimate.
  EXPECT_EQ(conditionVerdict(nan, 4.0)->source, ConditionSource::kEstimate);
}

TEST(ConditionVerdictTest, LevelsAndDigitsFollowKappa) {
  struct Case {
    double kappa;
    ConditionLevel level;
    int digits;
    const char* text;
  };
  const Case cases[] = {
      {1.0, ConditionLevel::kWell, 15, "well conditioned"},
      {1e3, ConditionLevel::kWell, 12, "well conditioned"},
      {std::nextafter(1e3, 2e3), ConditionLevel::kModerate, 12,
       "results may have fewer than 12 correct significant digits"},
      {1e9, ConditionLevel::kModerate, 6,
       "results may have fewer than 6 correct significant digits"},
      {1e12, ConditionLevel::kIll, 3,
       "results may have fewer than 3 correct significant digits"},
      // Hilbert's matrix of order 10.
      {3.5357e13, ConditionLevel::kIll, 2,
       "results may have fewer than 2 correct significant digits"},
      // 2^53 costs every digit.
      {0x1p53, ConditionLevel::kIll, 0,
       "results may have no correct significant digits"},
  };
  for (const Case& c : cases) {
    const auto verdict = conditionVerdict(c.kappa, std::nullopt);
    ASSERT_TRUE(verdict) << c.kappa;
    EXPECT_EQ(verdict->level, c.level) << c.kappa;
    EXPECT_EQ(verdict->correctDigits, c.digits) << c.kappa;
    EXPECT_EQ(verdict->text, c.text) << c.kappa;
  }
  EXPECT_STREQ(conditionLevelName(ConditionLevel::kModerate),
               "moderately conditioned");
  EXPECT_STREQ(conditionSourceName(ConditionSource::kEstimate), "estimate");
}

}  // namespace
}  // namespace linprob
