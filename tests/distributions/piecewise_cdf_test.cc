#include "distributions/piecewise_cdf.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "support/closed_form_cdf.h"

namespace linprob {
namespace {

using testing::encloses;
using testing::exactly;
using testing::lawOf;
using testing::Rational;

void evaluate(const SumLaw& law, const std::vector<double>& points,
              slong precision, BallVector& out) {
  const BallVector at = testing::ballsOf(points);
  out = BallVector(points.size());
  piecewiseCdf(law, at.data(), points.size(), precision, out.data());
}

// Sums of m uniforms on [0, 1] against the Irwin-Hall law, at points inside
// the support, at its ends and beyond, including points where pieces meet.
TEST(PiecewiseCdf, SumsOfEqualUniformsFollowIrwinHall) {
  for (unsigned m = 1; m <= 9; ++m) {
    const SumLaw law = lawOf(EntryShape::kUniform, std::vector<double>(m, 1.0),
                             testing::repeatedPairs(m, 0.0, 1.0));
    EXPECT_EQ(pieceCount(law), 1u << m);
    std::vector<double> points = {-0.5, 0.0, m + 0.25, double(m)};
    for (double x = 0.1; x < m; x += 0.37) points.push_back(x);
    for (unsigned k = 1; k < m; ++k) points.push_back(k);
    BallVector cdf;
    evaluate(law, points, 128, cdf);
    for (std::size_t k = 0; k < points.size(); ++k) {
      EXPECT_TRUE(encloses(cdf[k], testing::irwinHallCdf(m, exactly(points[k])),
                           1e-25))
          << "m " << m << " x " << points[k];
    }
  }
}

// Two triangular parts of different widths, scaled and shifted through the
// row and the bounds, against the convolution integral.
TEST(PiecewiseCdf, SumOfTwoTriangularsFollowsTheConvolution) {
  // x = 2 b0 - 0.5 b1, b0 on [1, 2] (half-width 0.5, scaled to 1), b1 on
  // [-3, 2] (half-width 2.5, scaled to 1.25).
  const SumLaw law = lawOf(EntryShape::kTriangular, {2.0, -0.5},
                           {1.0, 2.0, -3.0, 2.0});
  EXPECT_EQ(pieceCount(law), 9u);
  // center = 2 * 1.5 - 0.5 * (-0.5) = 3.25.
  const Rational center = exactly(3.25);
  std::vector<double> points;
  for (double x = 0.75; x <= 5.75; x += 0.125) points.push_back(x);
  BallVector cdf;
  evaluate(law, points, 128, cdf);
  for (std::size_t k = 0; k < points.size(); ++k) {
    const Rational exact = testing::twoTriangularCdf(
        exactly(1.0), exactly(1.25), exactly(points[k]) - center);
    EXPECT_TRUE(encloses(cdf[k], exact, 1e-25)) << points[k];
  }
}

// Widths over eight decades: at 128 bits the alternating sum loses most of
// its digits, which shows as a wide ball; more bits narrow it, and both
// enclose the same value.
TEST(PiecewiseCdf, CancellationWidensTheBallInsteadOfMisleading) {
  const std::vector<double> row = {1.0, 1e-8, 3e-8, 1e-7, 2e-8, 5e-8};
  const std::vector<double> pairs = testing::repeatedPairs(6, -1.0, 1.0);
  const std::vector<double> points = {-0.99999995, 0.3, 0.9999999};
  BallVector coarse;
  BallVector fine;
  evaluate(lawOf(EntryShape::kUniform, row, pairs, 64), points, 64, coarse);
  evaluate(lawOf(EntryShape::kUniform, row, pairs, 512), points, 512, fine);
  for (std::size_t k = 0; k < points.size(); ++k) {
    EXPECT_TRUE(arb_overlaps(coarse[k], fine[k]));
    EXPECT_LT(mag_get_d(arb_radref(fine[k])), 1e-60);
  }
  EXPECT_GT(mag_get_d(arb_radref(coarse[1])), 1e-12);
  // Far from the ends the tiny parts hardly matter: F(0.3) ~ 0.65.
  EXPECT_NEAR(arf_get_d(arb_midref(fine[1]), ARF_RND_NEAR), 0.65, 1e-6);
}

// A row of zeros leaves a point mass at the center: a step, 1 from the
// center on.
TEST(PiecewiseCdf, NoSpreadIsAStepAtTheCenter) {
  const SumLaw law = lawOf(EntryShape::kTriangular, {0.0, 0.0},
                           {1.0, 3.0, 0.0, 5.0});
  EXPECT_TRUE(law.pointMass());
  BallVector cdf;
  evaluate(law, {-1.0, 0.0, 1.0}, 128, cdf);
  EXPECT_TRUE(arb_is_zero(cdf[0]));
  EXPECT_TRUE(arb_is_one(cdf[1]));
  EXPECT_TRUE(arb_is_one(cdf[2]));
  EXPECT_THROW(evaluate(lawOf(EntryShape::kNormal, {1.0}, {0.0, 1.0}), {0.0},
                        128, cdf),
               std::invalid_argument);
}

}  // namespace
}  // namespace linprob
