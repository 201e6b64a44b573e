#include "linear/interval_replay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <stdexcept>
#include <vector>

#include "linear/step_replay.h"

namespace linprob {
namespace {

// Bit for bit, but any NaN as any other: the sign of a NaN means nothing,
// and the program refuses every one before it could be printed.
bool sameBits(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Values that exercise every case of the outward rounding: inexact
// products and quotients of both signs, zeros of both signs and infinities
// (whose sums and products make NaN ends on the way).
double anyValue(std::mt19937_64& random) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  switch (random() % 12) {
    case 0: return 0.0;
    case 1: return -0.0;
    case 2: return random() % 50 == 0 ? kInf : 1.0;
    case 3: return random() % 50 == 0 ? -kInf : -3.0;
    case 4: return 0.1;
    default: {
      std::uniform_real_distribution<double> value(-10.0, 10.0);
      return value(random) / 3.0;
    }
  }
}

// Against Interval's own replay, bit for bit, both ends of every element,
// on random step lists of every kind.
TEST(IntervalReplayTest, EveryEndAsIntervalRoundsIt) {
  std::mt19937_64 random(11);
  for (int trial = 0; trial < 400; ++trial) {
    const unsigned n = 1 + random() % 9;
    std::vector<Interval> rhs;
    for (unsigned k = 0; k < n; ++k) {
      const double a = anyValue(random);
      const double b = random() % 4 == 0 ? a : anyValue(random);
      rhs.emplace_back(std::min(a, b), std::max(a, b));
    }
    std::vector<step> steps;
    for (int s = 0; s < 60; ++s) {
      step next;
      next.first = static_cast<std::uint32_t>(random() % n);
      next.second = static_cast<std::uint32_t>(random() % n);
      switch (random() % 6) {
        case 0:
          next.type = StepKind::kExchange;
          next.value = random() % 2 ? kRowExchange : kColumnExchange;
          break;
        case 1:
          next.type = StepKind::kScaling;
          do {
            next.value = anyValue(random);
          } while (next.value == 0.0);
          break;
        default:
          next.type = StepKind::kCombination;
          next.value = anyValue(random);
      }
      steps.push_back(next);
    }
    std::vector<Interval> expected = rhs;
    replaySteps(expected, steps);
    replayIntervals(rhs, steps);
    for (unsigned k = 0; k < n; ++k) {
      ASSERT_TRUE(sameBits(rhs[k].lower(), expected[k].lower()))
          << trial << " " << k << ": " << rhs[k].lower() << " "
          << expected[k].lower();
      ASSERT_TRUE(sameBits(rhs[k].upper(), expected[k].upper()))
          << trial << " " << k;
    }
  }
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);
}

TEST(IntervalReplayTest, ZeroPivotThrowsAndRestoresTheRounding) {
  std::vector<Interval> rhs{Interval(1.0, 2.0)};
  const std::vector<step> steps{{StepKind::kScaling, 0, 0, -0.0}};
  EXPECT_THROW(replayIntervals(rhs, steps), std::runtime_error);
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);
}

}  // namespace
}  // namespace linprob
