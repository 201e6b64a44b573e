#include "distributions/inverse_cdf.h"

#include <gtest/gtest.h>

#include <boost/math/special_functions/erf.hpp>

#include <cmath>
#include <cstdint>
#include <vector>

namespace linprob {
namespace {

TEST(InverseCdf, NormalQuantileMatchesKnownValuesAndIsSymmetric) {
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

TEST(InverseCdf, TriangularAndUniformQuantilesInvertTheirDistributions) {
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

TEST(InverseCdf, MapsEachEntryWithItsParameters) {
  // Normal (10, 4), a constant 7 (variance 0), a triangle and a uniform.
  const InverseCdf normal(familyInfo(Family::kNormal), {10.0, 7.0}, {4.0, 0.0});
  const InverseCdf triangle(familyInfo(Family::kTriangular), {2.0}, {6.0});
  const InverseCdf uniform(familyInfo(Family::kUniform), {-1.0, 5.0}, {3.0, 5.0});
  std::vector<double> v = {0.975, 0.5};
  normal.map(0, v.data(), v.size());
  EXPECT_NEAR(v[0], 10.0 + 2.0 * 1.959963984540054, 1e-13);
  EXPECT_EQ(v[1], 10.0);
  normal.map(1, v.data(), v.size());
  EXPECT_EQ(v, (std::vector<double>{7.0, 7.0}));
  v = {0.125, 0.875};
  triangle.map(0, v.data(), v.size());
  EXPECT_EQ(v, (std::vector<double>{3.0, 5.0}));
  v = {0.25, 0.75};
  uniform.map(0, v.data(), v.size());
  EXPECT_EQ(v, (std::vector<double>{0.0, 2.0}));
  uniform.map(1, v.data(), v.size());
  EXPECT_EQ(v, (std::vector<double>{5.0, 5.0}));
}

// A family's row maps one value as InverseCdf maps its entries, and a
// family that draws through its quantile is mapped by it alone.
TEST(InverseCdf, EveryRowsQuantileIsWhatTheEntriesAreMappedBy) {
  const std::vector<double> first = {-1.0, 2.0, 0.5};
  const std::vector<double> second = {3.0, 2.0, 0.75};
  const std::vector<double> points = {1e-9, 0.1, 0.5, 0.7, 1.0 - 1e-9};
  FamilyInfo square = kFamilies[0];
  square.quantile = [](double p, double q, double u) { return p + q * u * u; };
  square.draw = SampleDraw::kQuantile;
  std::vector<FamilyInfo> rows(kFamilies.begin(), kFamilies.end());
  rows.push_back(square);
  for (const FamilyInfo& row : rows) {
    const InverseCdf inverse(row, first, second);
    for (unsigned e = 0; e < first.size(); ++e) {
      std::vector<double> v = points;
      inverse.map(e, v.data(), v.size());
      for (std::size_t k = 0; k < points.size(); ++k) {
        EXPECT_EQ(v[k], row.quantile(first[e], second[e], points[k]))
            << row.name << " entry " << e << " at " << points[k];
      }
    }
  }
}

}  // namespace
}  // namespace linprob
