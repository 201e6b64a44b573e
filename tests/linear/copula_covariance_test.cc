// The copula's covariance in closed form: each entry's own variance on the
// diagonal, and off it the formulas checked in doubles.
#include "linear/copula_covariance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "linear/ball.h"

namespace linprob {
namespace {

using boost::multiprecision::cpp_rational;

std::vector<double> covarianceOf(CopulaCovariance law,
                                 const std::vector<double>& r,
                                 const std::vector<EntryMoments>& entries) {
  const std::size_t n = entries.size();
  BallVector out(n * n);
  copulaCovariance(law, r, entries, 128, out.data());
  std::vector<double> values(n * n);
  for (std::size_t k = 0; k < n * n; ++k) {
    const RoundedValue v = roundedValue(out[k]);
    // Within a rounding of the double: the balls are far narrower.
    EXPECT_LE(v.error, 1e-15 * std::abs(v.value));
    values[k] = v.value;
  }
  return values;
}

TEST(CopulaCovarianceTest, EachLawKeepsTheVariancesAndTakesItsFormula) {
  const double rho = -0.6;
  const std::vector<double> r = {1, rho, rho, 1};
  const std::vector<EntryMoments> entries = {
      {cpp_rational(1), cpp_rational(1, 4)}, {cpp_rational(3), cpp_rational(2)}};
  const double v[2] = {0.25, 2.0};
  const double m[2] = {1.0, 3.0};
  const auto normal = covarianceOf(CopulaCovariance::kNormal, r, entries);
  const auto uniform = covarianceOf(CopulaCovariance::kUniform, r, entries);
  const auto lognormal = covarianceOf(CopulaCovariance::kLognormal, r, entries);
  for (int i = 0; i < 2; ++i) {
    EXPECT_DOUBLE_EQ(normal[i * 3], v[i]);
    EXPECT_DOUBLE_EQ(uniform[i * 3], v[i]);
    EXPECT_DOUBLE_EQ(lognormal[i * 3], v[i]);
  }
  const double sd = std::sqrt(v[0] * v[1]);
  EXPECT_DOUBLE_EQ(normal[1], sd * rho);
  EXPECT_DOUBLE_EQ(uniform[1], sd * 6.0 / std::numbers::pi * std::asin(rho / 2.0));
  const double s0 = std::sqrt(std::log1p(v[0] / (m[0] * m[0])));
  const double s1 = std::sqrt(std::log1p(v[1] / (m[1] * m[1])));
  EXPECT_NEAR(lognormal[1], m[0] * m[1] * std::expm1(rho * s0 * s1), 1e-15);
  EXPECT_EQ(uniform[1], uniform[2]);
  EXPECT_THROW(covarianceOf(CopulaCovariance::kNone, r, entries),
               std::invalid_argument);
}

}  // namespace
}  // namespace linprob
