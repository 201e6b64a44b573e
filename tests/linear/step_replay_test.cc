#include "linear/step_replay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace linprob {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// The worked example: rows 0 1 and 2 3 eliminated with row pivoting.
std::vector<step> workedExampleSteps() {
  LinearSystem system(2);
  system = LinearSystem::fromRows(2, {0, 1, 2, 3});
  system.eliminate(kPivotModes[1]);
  return system.steps();
}

TEST(StepReplayTest, WorkedExampleForEveryElementType) {
  const std::vector<step> steps = workedExampleSteps();

  std::vector<double> plain{1, 5};
  replaySteps(plain, steps);
  EXPECT_EQ(plain, (std::vector<double>{1, 1}));

  // Two right-hand sides at once, entry-major: (1, 5) and (2, 4).
  double lanes[4] = {1, 2, 5, 4};
  replayBlock(lanes, 2, 2, steps);
  std::vector<double> second{2, 4};
  replaySteps(second, steps);
  EXPECT_EQ(lanes[0], 1.0);
  EXPECT_EQ(lanes[2], 1.0);
  EXPECT_EQ(lanes[1], second[0]);
  EXPECT_EQ(lanes[3], second[1]);

  // Every operation of this example is exact, so the intervals stay points.
  std::vector<Interval> box{Interval(1), Interval(5)};
  replaySteps(box, steps);
  EXPECT_EQ(box[0].lower(), 1.0);
  EXPECT_EQ(box[0].upper(), 1.0);
  EXPECT_EQ(box[1].lower(), 1.0);
  EXPECT_EQ(box[1].upper(), 1.0);
}

TEST(StepReplayTest, EmptyStepListLeavesTheVectorAlone) {
  std::vector<double> rhs{3, -4};
  replaySteps(rhs, {});
  EXPECT_EQ(rhs, (std::vector<double>{3, -4}));
}

TEST(StepReplayTest, OnlyRowExchangesSwapElements) {
  const std::vector<step> columns{{StepKind::kExchange, 1, 0, kColumnExchange}};
  const std::vector<step> rows{{StepKind::kExchange, 1, 0, kRowExchange}};

  std::vector<double> plain{1, 2};
  replaySteps(plain, columns);
  EXPECT_EQ(plain, (std::vector<double>{1, 2}));
  replaySteps(plain, rows);
  EXPECT_EQ(plain, (std::vector<double>{2, 1}));

  std::vector<Interval> box{Interval(1, 2), Interval(3, 4)};
  replaySteps(box, columns);
  EXPECT_EQ(box[0].lower(), 1.0);
  replaySteps(box, rows);
  EXPECT_EQ(box[0].lower(), 3.0);
  EXPECT_EQ(box[1].upper(), 2.0);

  std::vector<NormalParameters> moments{{1, 2}, {3, 4}};
  replaySteps(moments, columns);
  EXPECT_EQ(moments[0].mean, 1.0);
  replaySteps(moments, rows);
  EXPECT_EQ(moments[0].mean, 3.0);
  EXPECT_EQ(moments[1].variance, 2.0);
}

TEST(StepReplayTest, InvalidStepTypeIsReportedAndSkipped) {
  const std::vector<step> steps{{static_cast<StepKind>(7), 0, 1, 5.0}, {StepKind::kScaling, 0, 0, 2.0}};
  std::vector<double> plain{8, 1};
  std::vector<Interval> box{Interval(8), Interval(1)};
  std::vector<NormalParameters> moments{{8, 4}, {1, 1}};

  ::testing::internal::CaptureStdout();
  replaySteps(plain, steps);
  const std::string plainOutput = ::testing::internal::GetCapturedStdout();
  ::testing::internal::CaptureStdout();
  replaySteps(box, steps);
  replaySteps(moments, steps);
  const std::string otherOutput = ::testing::internal::GetCapturedStdout();

  EXPECT_EQ(plainOutput, "ERROR! INVALID STEP TYPE!\n");
  EXPECT_EQ(otherOutput,
            "ERROR! INVALID STEP TYPE!\nERROR! INVALID STEP TYPE!\n");
  EXPECT_EQ(plain, (std::vector<double>{4, 1}));
  EXPECT_EQ(box[0].lower(), 4.0);
  EXPECT_EQ(box[0].upper(), 4.0);
  EXPECT_EQ(moments[0].mean, 4.0);
  EXPECT_EQ(moments[0].variance, 1.0);
}

TEST(StepReplayTest, DoubleCombinationRoundsProductBeforeSum) {
  // value * x = 1 - 2^-60 exactly; rounded first it is 1, so adding -1 gives
  // 0. A fused multiply-add would give -2^-60.
  const double x = 1.0 + std::ldexp(1.0, -30);
  const double f = 1.0 - std::ldexp(1.0, -30);
  std::vector<double> rhs{x, -1.0};
  replaySteps(rhs, {{StepKind::kCombination, 0, 1, f}});
  EXPECT_EQ(rhs[1], 0.0);
}

TEST(StepReplayTest, NormalParametersScaleAndCombine) {
  std::vector<NormalParameters> scaled{{1, 4}};
  replaySteps(scaled, {{StepKind::kScaling, 0, 0, 2.0}});
  EXPECT_EQ(scaled[0].mean, 0.5);
  EXPECT_EQ(scaled[0].variance, 1.0);

  std::vector<NormalParameters> combined{{1, 4}, {0, 0}};
  replaySteps(combined, {{StepKind::kCombination, 0, 1, -3.0}});
  EXPECT_EQ(combined[1].mean, -3.0);
  EXPECT_EQ(combined[1].variance, 36.0);
  EXPECT_EQ(combined[0].mean, 1.0);
  EXPECT_EQ(combined[0].variance, 4.0);
}

TEST(StepReplayTest, NormalParametersScaleByTheRoundedReciprocal) {
  // The reciprocal 0.1 is rounded before it multiplies: 3 * 0.1 is not the
  // 0.3 that a division by 10 would give.
  std::vector<NormalParameters> rhs{{3, 3}};
  replaySteps(rhs, {{StepKind::kScaling, 0, 0, 10.0}});
  volatile double ten = 10.0;
  const double reciprocal = 1.0 / ten;
  EXPECT_EQ(rhs[0].mean, 3.0 * reciprocal);
  EXPECT_NE(rhs[0].mean, 0.3);
  EXPECT_EQ(rhs[0].variance, (3.0 * reciprocal) * reciprocal);
}

// The build flags and the interval policy must let the interval library's
// directed rounding through at full optimisation: a point divided by 3 has to
// become the two neighbouring doubles around 1/3, not a single number.
TEST(StepReplayTest, IntervalScalingRoundsOutward) {
  std::vector<Interval> rhs{Interval(1.0)};
  replaySteps(rhs, {{StepKind::kScaling, 0, 0, 3.0}});
  const double third = 1.0 / 3.0;
  EXPECT_LT(rhs[0].lower(), rhs[0].upper());
  EXPECT_LE(rhs[0].lower(), third);
  EXPECT_LE(third, rhs[0].upper());
  EXPECT_EQ(rhs[0].upper(), std::nextafter(rhs[0].lower(), kInf));
}

TEST(StepReplayTest, IntervalCombinationEnclosesTheExactSum) {
  std::vector<Interval> rhs{Interval(0.1), Interval(0.2)};
  replaySteps(rhs, {{StepKind::kCombination, 0, 1, 1.0}});
  // The exact sum of the two doubles needs 55 bits; long double holds it.
  const long double exact = static_cast<long double>(0.1) +
                            static_cast<long double>(0.2);
  EXPECT_LT(rhs[1].lower(), rhs[1].upper());
  EXPECT_LE(static_cast<long double>(rhs[1].lower()), exact);
  EXPECT_LE(exact, static_cast<long double>(rhs[1].upper()));
  EXPECT_EQ(rhs[1].upper(), std::nextafter(rhs[1].lower(), kInf));
}

TEST(StepReplayTest, PlainArithmeticStillRoundsToNearestAfterIntervals) {
  volatile double one = 1.0;
  volatile double three = 3.0;
  const double before = one / three;
  std::vector<Interval> rhs{Interval(1.0)};
  replaySteps(rhs, {{StepKind::kScaling, 0, 0, 3.0}});
  const double after = one / three;
  EXPECT_EQ(after, before);
  const double product = after * three;
  EXPECT_EQ(product, 1.0);
  // Under upward rounding the quotient would be the upper bound instead.
  EXPECT_EQ(after, rhs[0].lower());
}

TEST(StepReplayTest, IntervalScalingByZeroIsRefused) {
  std::vector<Interval> rhs{Interval(1.0, 2.0)};
  try {
    replaySteps(rhs, {{StepKind::kScaling, 0, 0, 0.0}});
    ADD_FAILURE() << "a zero pivot was accepted";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("boost::interval"),
              std::string::npos)
        << error.what();
  }
  // The plain replay goes on with an infinity.
  std::vector<double> plain{1.0};
  replaySteps(plain, {{StepKind::kScaling, 0, 0, 0.0}});
  EXPECT_EQ(plain[0], kInf);
}

}  // namespace
}  // namespace linprob
