#include "distributions/entry_quantiles.h"

#include <gtest/gtest.h>

#include <boost/math/special_functions/erf.hpp>

#include <cmath>
#include <cstdint>

namespace linprob {
namespace {

TEST(EntryQuantiles, NormalQuantileMatchesKnownValuesAndIsSymmetric) {
  // Known to 16 digits.
  EXPECT_NEAR(standardNormalQuantile(0.975), 1.959963984540054, 4e-15);
  EXPECT_NEAR(standardNormalQuantile(0x1p-53), -8.209536151601387, 2e-14);
  // Boost.Math's inverse error function (in long double, its default) on a
  // grid of u whose 1 - u is exact, across the centre and both tail pieces.
  for (std::uint64_t k = 1; k < (1u << 20); k += 997) {
    const double u = static_cast<double>(k) * 0x1p-20;
    const double z = standardNormalQuantile(u);
    EXPECT_EQ(standardNormalQuantile(1.0 - u), -z) << u;
    const double reference = -std::sqrt(2.0) * boost::math::erfc_inv(2.0 * u);
    EXPECT_NEAR(z, reference, 2e-15 * std::fmax(1.0, std::fabs(reference)))
        << u;
  }
  for (double u = 1e-300; u < 1e-3; u *= 1.7) {
    const double reference = -std::sqrt(2.0) * boost::math::erfc_inv(2.0 * u);
    EXPECT_NEAR(standardNormalQuantile(u), reference,
                2e-15 * std::fabs(reference))
        << u;
  }
}

TEST(EntryQuantiles, TriangularAndUniformQuantilesInvertTheirDistributions) {
  // Symmetric triangle on [2, 6]: F(x) = 2 ((x - 2) / 4)^2 below the
  // middle, 1 - 2 ((6 - x) / 4)^2 above.
  EXPECT_EQ(triangularQuantile(2.0, 6.0, 0.5), 4.0);
  for (double u = 0.01; u < 1.0; u += 0.0173) {
    const double x = triangularQuantile(2.0, 6.0, u);
    const double f = x <= 4.0 ? 2.0 * std::pow((x - 2.0) / 4.0, 2)
                              : 1.0 - 2.0 * std::pow((6.0 - x) / 4.0, 2);
    EXPECT_NEAR(f, u, 1e-15) << u;
  }
  EXPECT_EQ(uniformQuantile(-1.0, 3.0, 0.25), 0.0);
  // Just below 1 the value stays below the upper end.
  EXPECT_LT(uniformQuantile(0.0, 3.0, std::nextafter(1.0, 0.0)), 3.0);
}

}  // namespace
}  // namespace linprob
