#include "solve/replay_bound.h"

#include <gtest/gtest.h>

#include <boost/multiprecision/cpp_int.hpp>

#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include "linear/step_replay.h"

namespace linprob {
namespace {

using Rational = boost::multiprecision::cpp_rational;

// The steps in exact arithmetic on the exact values of the doubles.
std::vector<Rational> exactReplay(const std::vector<double>& rhs,
                                  const std::vector<step>& steps) {
  std::vector<Rational> rows(rhs.begin(), rhs.end());
  for (const step& s : steps) {
    if (s.type == StepKind::kCombination) {
      rows[s.second] += Rational(s.value) * rows[s.first];
    } else if (s.type == StepKind::kExchange && s.value == kRowExchange) {
      std::swap(rows[s.first], rows[s.second]);
    } else if (s.type == StepKind::kScaling) {
      rows[s.first] /= Rational(s.value);
    }
  }
  return rows;
}

// A random n x n system: well conditioned (diagonally dominant), a
// Hilbert-like one, or one with entries over many orders of magnitude.
LinearSystem randomSystem(std::mt19937& random, int kind) {
  std::uniform_int_distribution<unsigned> sizes(1, 6);
  std::uniform_real_distribution<double> real(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-30, 30);
  const unsigned n = sizes(random);
  LinearSystem system(n);
  for (unsigned r = 0; r < n; ++r) {
    for (unsigned c = 0; c < n; ++c) {
      double a = real(random);
      if (kind == 0) a += r == c ? 8.0 : 0.0;
      if (kind == 1) a = 1.0 / (1.0 + r + c) + 1e-3 * a;
      if (kind == 2) a = std::ldexp(a + (r == c ? 2.0 : 0.0), exponent(random));
      system.setCoefficient(r, c, a);
    }
  }
  const int mode = std::uniform_int_distribution<int>(0, 3)(random);
  system.eliminate(pivotMode(mode));
  return system;
}

// For right-hand sides within the input magnitudes, the double replay lies
// within `error` of the exact one, and both within `magnitude`: checked
// exactly, in rationals, on random systems of three kinds and on the
// magnitudes' corners.
TEST(ReplayBoundTest, BoundsTheRoundingOfEveryReplay) {
  std::mt19937 random(31);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  int checked = 0;
  for (int round = 0; round < 120; ++round) {
    const LinearSystem system = randomSystem(random, round % 3);
    const unsigned n = system.size();
    std::vector<double> magnitude(n);
    for (double& m : magnitude) m = std::ldexp(1.0 + unit(random), round % 7 - 3);
    const ReplayBound bound = replayBound(system.steps(), magnitude);
    if (!bound.finite()) continue;
    for (int trial = 0; trial < 8; ++trial) {
      std::vector<double> rhs(n);
      for (unsigned e = 0; e < n; ++e) {
        rhs[e] = trial < 2 ? (trial == 0 ? magnitude[e] : -magnitude[e])
                           : magnitude[e] * unit(random);
      }
      std::vector<double> replayed = rhs;
      replaySteps(replayed, system.steps());
      const std::vector<Rational> exact = exactReplay(rhs, system.steps());
      for (unsigned k = 0; k < n; ++k) {
        const Rational difference = abs(Rational(replayed[k]) - exact[k]);
        ASSERT_LE(difference, Rational(bound.error[k]))
            << "round " << round << " row " << k;
        ASSERT_LE(abs(exact[k]), Rational(bound.magnitude[k]));
        ASSERT_LE(std::fabs(replayed[k]), bound.magnitude[k]);
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 2000);
}

TEST(ReplayBoundTest, ZeroPivotsAndOverflowGiveNoBound) {
  const std::vector<step> zeroPivot = {{StepKind::kScaling, 0, 0, 0.0}};
  EXPECT_FALSE(replayBound(zeroPivot, {1.0}).finite());
  const std::vector<step> huge = {{StepKind::kCombination, 0, 1, 1e300},
                                  {StepKind::kCombination, 1, 0, 1e300}};
  EXPECT_FALSE(replayBound(huge, {1e10, 1.0}).finite());
  // No steps: the right-hand side itself, exactly.
  const ReplayBound none = replayBound({}, {2.0, 3.0});
  EXPECT_EQ(none.magnitude, (std::vector<double>{2.0, 3.0}));
  EXPECT_EQ(none.error, (std::vector<double>{0.0, 0.0}));
}

TEST(ReplayBoundTest, UpwardOperationsNeverFallBelowTheExactResult) {
  const double tiny = std::ldexp(1.0, -60);
  EXPECT_GT(addUp(1.0, tiny), 1.0);
  EXPECT_GE(Rational(multiplyUp(0.1, 0.3)), Rational(0.1) * Rational(0.3));
  EXPECT_GE(Rational(divideUp(1.0, 3.0)), Rational(1) / Rational(3));
}

}  // namespace
}  // namespace linprob
