#include "distributions/characteristic_cdf.h"

#include <gtest/gtest.h>

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

// Sums of 5 and of 16 uniforms on [0, 1] (the latter beyond the piecewise
// method's budget) against the Irwin-Hall law: every ball encloses the
// exact value and is within the tolerance; beyond the support the value is
// exact.
TEST(CharacteristicCdf, InvertsSumsOfUniformsToTheirIrwinHallValues) {
  for (const unsigned m : {5u, 16u}) {
    const SumLaw law = lawOf(EntryShape::kUniform, std::vector<double>(m, 1.0),
                             repeatedPairs(m, 0.0, 1.0));
    std::vector<double> points = {-1.0, double(m) + 0.5, 0.6 * m};
    for (double x = 0.5; x < m; x += m / 7.0) points.push_back(x);
    const BallVector at = testing::ballsOf(points);
    BallVector cdf(points.size());
    EXPECT_TRUE(characteristicCdf(law, at.data(), points.size(), kTolerance,
                                  128, cdf.data()));
    EXPECT_TRUE(arb_is_zero(cdf[0]));
    EXPECT_TRUE(arb_is_one(cdf[1]));
    for (std::size_t k = 2; k < points.size(); ++k) {
      EXPECT_TRUE(encloses(cdf[k], testing::irwinHallCdf(m, exactly(points[k])),
                           kTolerance))
          << "m " << m << " x " << points[k];
    }
  }
}

// Triangular parts of unequal widths and signs: both methods enclose the
// same values.
TEST(CharacteristicCdf, AgreesWithThePiecesOnTriangularParts) {
  const SumLaw law = lawOf(EntryShape::kTriangular, {1.0, -0.25, 3.0, 0.5},
                           {0.0, 2.0, -1.0, 7.0, 1.0, 1.5, 2.0, 6.0});
  const std::vector<double> points = {0.5, 1.0, 2.5, 3.0, 3.7, 4.5};
  const BallVector at = testing::ballsOf(points);
  BallVector inverted(points.size());
  BallVector pieces(points.size());
  EXPECT_TRUE(characteristicCdf(law, at.data(), points.size(), kTolerance, 128,
                                inverted.data()));
  piecewiseCdf(law, at.data(), points.size(), 128, pieces.data());
  for (std::size_t k = 0; k < points.size(); ++k) {
    EXPECT_TRUE(arb_contains(inverted[k], pieces[k])) << points[k];
    EXPECT_LE(mag_get_d(arb_radref(inverted[k])), kTolerance);
  }
  EXPECT_THROW(characteristicCdf(lawOf(EntryShape::kNormal, {1.0}, {0.0, 1.0}),
                                 at.data(), 1, kTolerance, 128,
                                 inverted.data()),
               std::invalid_argument);
}

}  // namespace
}  // namespace linprob
