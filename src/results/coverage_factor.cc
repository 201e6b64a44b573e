#include "results/coverage_factor.h"

#include <array>
#include <cmath>
#include <limits>

#include <boost/math/distributions/students_t.hpp>

namespace linprob {
namespace {

using Table = std::array<double, kTabledDegrees + 1>;

const Table& tabledFactors() {
  static const Table table = [] {
    Table factors{};
    factors[0] = std::numeric_limits<double>::quiet_NaN();
    for (std::uint64_t v = 1; v <= kTabledDegrees; ++v) {
      const boost::math::students_t distribution(static_cast<double>(v));
      factors[v] = boost::math::quantile(distribution, 0.975);
    }
    return factors;
  }();
  return table;
}

// z + g1/v + g2/v^2 + g3/v^3 + g4/v^4 (Abramowitz and Stegun 26.7.5).
double expandedFactor(double v) {
  const double z = kNormalQuantile975;
  const double z2 = z * z;
  const double g1 = (z2 + 1.0) * z / 4.0;
  const double g2 = ((5.0 * z2 + 16.0) * z2 + 3.0) * z / 96.0;
  const double g3 = (((3.0 * z2 + 19.0) * z2 + 17.0) * z2 - 15.0) * z / 384.0;
  const double g4 =
      ((((79.0 * z2 + 776.0) * z2 + 1482.0) * z2 - 1920.0) * z2 - 945.0) * z /
      92160.0;
  return z + (g1 + (g2 + (g3 + g4 / v) / v) / v) / v;
}

}  // namespace

double coverageFactor(double degreesOfFreedom) {
  if (!(degreesOfFreedom >= 1.0)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  if (std::isinf(degreesOfFreedom)) return kNormalQuantile975;
  const double whole = std::floor(degreesOfFreedom);
  if (whole == degreesOfFreedom &&
      whole <= static_cast<double>(kTabledDegrees)) {
    return tabledFactors()[static_cast<std::size_t>(whole)];
  }
  if (degreesOfFreedom > static_cast<double>(kTabledDegrees)) {
    return expandedFactor(degreesOfFreedom);
  }
  const boost::math::students_t distribution(degreesOfFreedom);
  return boost::math::quantile(distribution, 0.975);
}

}  // namespace linprob
