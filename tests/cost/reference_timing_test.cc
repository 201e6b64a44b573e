// The estimate of a system's references for --check, which computes none.
#include "cost/reference_timing.h"

#include <gtest/gtest.h>

#include <optional>

#include "linear/certified_inverse.h"

namespace linprob {
namespace {

// Two terms for a regular matrix, five at kappa = 4.4e12 (as measured at
// n = 1000), the most where a term gains nothing.
TEST(ReferenceTimingTest, TermsFollowTheConditionNumber) {
  EXPECT_EQ(expectedInverseTerms(1.0), 2);
  EXPECT_EQ(expectedInverseTerms(1e5), 2);
  EXPECT_EQ(expectedInverseTerms(4.4e12), 5);
  EXPECT_EQ(expectedInverseTerms(0x1p58), kMaxInverseTerms);
  EXPECT_EQ(expectedInverseTerms(HUGE_VAL), kMaxInverseTerms);
}

TEST(ReferenceTimingTest, LargeSystemsAreTimedOnAMadeUpOne) {
  RunSettings settings;
  settings.Dimensions = 1000;
  settings.ExactDistributions = false;
  // Beyond 250 unknowns the first system is not read: the made-up one of
  // 250 is timed and carried to 1000 (64 times as long, or more).
  const SystemInputs none;
  const std::optional<double> seconds =
      referenceSecondsPerSystem(RunConfig(settings), none, 1.0, {});
  ASSERT_TRUE(seconds.has_value());
  EXPECT_GT(*seconds, 0.0);
  // A stop gives no estimate.
  std::stop_source stop;
  stop.request_stop();
  EXPECT_FALSE(referenceSecondsPerSystem(RunConfig(settings), none, 1.0,
                                         stop.get_token()));
}

}  // namespace
}  // namespace linprob
