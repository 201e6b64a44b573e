#include "linear/rational_rounding.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <random>
#include <stdexcept>

#include "linear/dyadic_form.h"

namespace linprob {
namespace {

using boost::multiprecision::cpp_int;
using boost::multiprecision::cpp_rational;

constexpr double kTiny = std::numeric_limits<double>::denorm_min();
constexpr double kLargest = std::numeric_limits<double>::max();
constexpr double kInf = std::numeric_limits<double>::infinity();

cpp_rational dyadic(long long m, std::int64_t e) {
  return scaledByPowerOfTwo(cpp_int(m), e);
}

// Nearest, downward, upward.
void expectRounding(const cpp_rational& q, double nearest, double down,
                    double up) {
  EXPECT_EQ(roundToDouble(q, RoundingDirection::kToNearest), nearest) << q;
  EXPECT_EQ(roundToDouble(q, RoundingDirection::kDownward), down) << q;
  EXPECT_EQ(roundToDouble(q, RoundingDirection::kUpward), up) << q;
}

TEST(RationalRounding, HandCases) {
  const double third = 1.0 / 3.0;  // below 1/3
  expectRounding(cpp_rational(1, 3), third, third, std::nextafter(third, 1.0));
  const double twoThirds = 2.0 / 3.0;  // below 2/3
  expectRounding(cpp_rational(-2, 3), -twoThirds,
                 -std::nextafter(twoThirds, 1.0), -twoThirds);
  // 1 + 2^-53 ties between 1 (even) and 1 + 2^-52; 1 + 3 2^-53 ties
  // between 1 + 2^-52 and 1 + 2^-51 (even); a hair above a tie rounds up.
  const double oneUp = 1.0 + 0x1p-52;
  expectRounding(dyadic(-((1LL << 53) + 1), -53), -1.0, -oneUp, -1.0);
  expectRounding(dyadic((1LL << 53) + 3, -53), 1.0 + 0x1p-51, oneUp,
                 1.0 + 0x1p-51);
  expectRounding(dyadic((1LL << 53) + 1, -53) + dyadic(1, -400), oneUp, 1.0,
                 oneUp);
  expectRounding(exactRationalOf(-0.1), -0.1, -0.1, -0.1);
}

TEST(RationalRounding, SubnormalAndOverflowingValues) {
  expectRounding(dyadic(1, -1075), 0.0, 0.0, kTiny);  // tie with even 0
  expectRounding(dyadic(3, -1075), 2 * kTiny, kTiny, 2 * kTiny);
  // Halfway between the largest subnormal and the smallest normal.
  EXPECT_EQ(roundToDouble(dyadic((1LL << 53) - 1, -1075),
                          RoundingDirection::kToNearest),
            std::numeric_limits<double>::min());
  // Far below the range: a zero that keeps the sign.
  const cpp_rational minute = -cpp_rational(1) / dyadic(1, 2000);
  expectRounding(minute, -0.0, -kTiny, -0.0);
  EXPECT_TRUE(std::signbit(roundToDouble(minute, RoundingDirection::kUpward)));
  expectRounding(cpp_rational(0), 0.0, 0.0, 0.0);
  EXPECT_FALSE(std::signbit(roundToDouble(cpp_rational(0),
                                          RoundingDirection::kDownward)));

  expectRounding(dyadic(1, 1024), kInf, kLargest, kInf);
  expectRounding(dyadic(-3, 1100), -kInf, -kInf, -kLargest);
  // The largest double plus half its quantum ties towards 2^1024: inf.
  const cpp_rational tie = exactRationalOf(kLargest) + dyadic(1, 970);
  expectRounding(tie, kInf, kLargest, kInf);
  expectRounding(tie - dyadic(1, 900), kLargest, kLargest, kInf);
}

// The hardware's division is correctly rounded in every rounding mode, so
// quotients of random doubles over the whole exponent range (subnormal and
// overflowing results included) are an independent reference.
TEST(RationalRounding, QuotientsAgreeWithHardwareDivision) {
  // The power of two of roundQuotient costs no rounding.
  EXPECT_EQ(roundQuotient(cpp_int(1), cpp_int(3), -3,
                          RoundingDirection::kToNearest),
            1.0 / 24.0);
  try {
    roundQuotient(cpp_int(1), cpp_int(-3), 0, RoundingDirection::kToNearest);
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "rounding: denominator is not positive");
  }
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> mantissa(1.0, 2.0);
  std::uniform_int_distribution<int> exponent(-1074, 1023);
  const int savedMode = std::fegetround();
  for (int trial = 0; trial < 3000; ++trial) {
    volatile double a = std::ldexp(mantissa(random), exponent(random)) *
                        ((trial & 1) != 0 ? -1.0 : 1.0);
    volatile double b = std::ldexp(mantissa(random), exponent(random) / 2);
    const cpp_rational q = exactRationalOf(a) / exactRationalOf(b);
    double quotients[3];
    const int modes[3] = {FE_TONEAREST, FE_DOWNWARD, FE_UPWARD};
    for (int m = 0; m < 3; ++m) {
      std::fesetround(modes[m]);
      quotients[m] = a / b;
    }
    std::fesetround(savedMode);
    expectRounding(q, quotients[0], quotients[1], quotients[2]);
    if (HasFailure()) return;
  }
}

}  // namespace
}  // namespace linprob
