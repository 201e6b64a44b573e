#include "distributions/rounded_characteristic_cdf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stdexcept>
#include <vector>

#include "distributions/piecewise_cdf.h"
#include "support/closed_form_cdf.h"

namespace linprob {
namespace {

using testing::encloses;
using testing::exactly;
using testing::lawOf;
using testing::repeatedPairs;

constexpr double kTolerance = 1e-11;

// Sums of 16 and of 48 uniforms on [0, 1] against the Irwin-Hall law: each
// ball encloses the exact value and is within the tolerance; beyond the
// support the value is exact.
TEST(RoundedCharacteristicCdf, InvertsSumsOfUniformsToTheirIrwinHallValues) {
  for (const unsigned m : {16u, 48u}) {
    const SumLaw law = lawOf(EntryShape::kUniform, std::vector<double>(m, 1.0),
                             repeatedPairs(m, 0.0, 1.0));
    std::vector<double> points = {-1.0, double(m) + 0.5, 0.5 * m};
    for (double x = 0.3 * m; x < 0.7 * m; x += m / 9.0) points.push_back(x);
    const BallVector at = testing::ballsOf(points);
    BallVector cdf(points.size());
    EXPECT_TRUE(roundedCharacteristicCdf(law, at.data(), points.size(),
                                         kTolerance, 128, cdf.data()));
    EXPECT_TRUE(arb_is_zero(cdf[0]));
    EXPECT_TRUE(arb_is_one(cdf[1]));
    for (std::size_t k = 2; k < points.size(); ++k) {
      EXPECT_TRUE(encloses(cdf[k], testing::irwinHallCdf(m, exactly(points[k])),
                           kTolerance))
          << "m " << m << " x " << points[k];
    }
  }
}

// Random laws of 7 to 12 parts of unequal widths and signs, uniform and
// triangular, the points across the support: every ball holds the
// alternating sum's (certified to far below the tolerance) and is within
// the tolerance.
TEST(RoundedCharacteristicCdf, AgreesWithThePiecesOnRandomLaws) {
  std::mt19937_64 random(20261209);
  std::uniform_real_distribution<double> coefficient(-3.0, 3.0);
  std::uniform_real_distribution<double> end(-5.0, 5.0);
  for (int trial = 0; trial < 12; ++trial) {
    const EntryShape shape =
        trial % 2 == 0 ? EntryShape::kUniform : EntryShape::kTriangular;
    const unsigned m = shape == EntryShape::kUniform ? 8 + trial / 2 : 7;
    std::vector<double> row;
    std::vector<double> pairs;
    for (unsigned j = 0; j < m; ++j) {
      row.push_back(coefficient(random));
      const double a = end(random);
      const double b = end(random);
      pairs.push_back(std::min(a, b));
      pairs.push_back(std::max(a, b) + 0.01);
    }
    const SumLaw law = lawOf(shape, row, pairs);
    const double center = arf_get_d(arb_midref(law.center.get()), ARF_RND_NEAR);
    const double width =
        arf_get_d(arb_midref(law.supportHalfWidth.get()), ARF_RND_NEAR);
    std::vector<double> points;
    for (int k = -9; k <= 9; ++k) points.push_back(center + width * k / 10.0);
    const BallVector at = testing::ballsOf(points);
    BallVector inverted(points.size());
    BallVector pieces(points.size());
    EXPECT_TRUE(roundedCharacteristicCdf(law, at.data(), points.size(),
                                         kTolerance, 128, inverted.data()))
        << "trial " << trial;
    piecewiseCdf(law, at.data(), points.size(), 256, pieces.data());
    for (std::size_t k = 0; k < points.size(); ++k) {
      EXPECT_TRUE(arb_contains(inverted[k], pieces[k]))
          << "trial " << trial << " x " << points[k];
      EXPECT_LE(mag_get_d(arb_radref(inverted[k])), kTolerance);
    }
  }
}

// A law of two parts needs more panels than the method allows: it says so,
// and its balls are no values; a normal law is not its business.
TEST(RoundedCharacteristicCdf, RefusesFewPartsAndNormalLaws) {
  const SumLaw two = lawOf(EntryShape::kUniform, {1.0, 0.5},
                           repeatedPairs(2, 0.0, 1.0));
  const std::vector<double> points = {0.2, 0.7};
  const BallVector at = testing::ballsOf(points);
  BallVector cdf(points.size());
  EXPECT_FALSE(roundedCharacteristicCdf(two, at.data(), points.size(),
                                        kTolerance, 128, cdf.data()));
  EXPECT_FALSE(arb_is_finite(cdf[0]));
  const SumLaw normal =
      lawOf(EntryShape::kNormal, {1.0}, repeatedPairs(1, 0.0, 1.0));
  EXPECT_THROW(roundedCharacteristicCdf(normal, at.data(), 1, kTolerance, 128,
                                        cdf.data()),
               std::invalid_argument);
}

}  // namespace
}  // namespace linprob

namespace linprob {
namespace {

// Scaling a law by 2^k scales its distribution function's argument and
// nothing else: the values at scaled points are the same and every ball
// still holds the certified value, far from 1 as from the underflow; one
// part far larger than the rest leaves a law the method may refuse, but
// never a ball that misses the value.
TEST(RoundedCharacteristicCdf, ScalesAndDominantParts) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> coefficient(0.5, 2.0);
  std::vector<double> row;
  for (int j = 0; j < 10; ++j) row.push_back(coefficient(random));
  const std::vector<double> pairs = repeatedPairs(10, -1.0, 1.0);
  const std::vector<double> base = {-3.0, -1.0, 0.0, 0.5, 2.0};
  for (const int k : {-600, -40, 0, 40, 600}) {
    std::vector<double> scaledRow;
    for (const double a : row) scaledRow.push_back(std::ldexp(a, k));
    std::vector<double> points;
    for (const double x : base) points.push_back(std::ldexp(x, k));
    const SumLaw law = lawOf(EntryShape::kUniform, scaledRow, pairs);
    const BallVector at = testing::ballsOf(points);
    BallVector inverted(points.size());
    BallVector pieces(points.size());
    EXPECT_TRUE(roundedCharacteristicCdf(law, at.data(), points.size(),
                                         kTolerance, 128, inverted.data()))
        << k;
    piecewiseCdf(law, at.data(), points.size(), 256, pieces.data());
    for (std::size_t p = 0; p < points.size(); ++p) {
      EXPECT_TRUE(arb_contains(inverted[p], pieces[p])) << k << " " << p;
    }
  }
  std::vector<double> dominant = row;
  dominant[3] = 1e6;
  const SumLaw law = lawOf(EntryShape::kTriangular, dominant, pairs);
  const std::vector<double> points = {-2e5, 0.0, 3e5, 9e5};
  const BallVector at = testing::ballsOf(points);
  BallVector inverted(points.size());
  BallVector pieces(points.size());
  roundedCharacteristicCdf(law, at.data(), points.size(), kTolerance, 128,
                           inverted.data());
  piecewiseCdf(law, at.data(), points.size(), 512, pieces.data());
  for (std::size_t p = 0; p < points.size(); ++p) {
    EXPECT_TRUE(!arb_is_finite(inverted[p]) ||
                arb_contains(inverted[p], pieces[p]))
        << p;
  }
}

}  // namespace
}  // namespace linprob
