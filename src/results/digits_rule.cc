#include "results/digits_rule.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

namespace linprob {

double numericalTolerance(double value, int digits) {
  if (digits < kFewestDigits || digits > kMostDigits) {
    throw std::invalid_argument("digits: " + std::to_string(digits) +
                                " is not within " +
                                std::to_string(kFewestDigits) + " ... " +
                                std::to_string(kMostDigits));
  }
  if (!std::isfinite(value)) return std::numeric_limits<double>::quiet_NaN();
  if (value == 0.0) return 0.0;
  // "d.ddde+XX": the exponent of the first digit after rounding to `digits`
  // significant digits.
  char text[32];
  std::snprintf(text, sizeof text, "%.*e", digits - 1, std::fabs(value));
  const char* const mark = std::strchr(text, 'e');
  const long first = std::strtol(mark + 1, nullptr, 10);
  const long last = first - (digits - 1);
  // 10^l / 2 = 5 * 10^(l-1), read back as the nearest double.
  std::snprintf(text, sizeof text, "5e%ld", last - 1);
  return std::strtod(text, nullptr);
}

bool precisionReached(std::span<const UnknownPrecision> unknowns, int digits) {
  if (unknowns.empty()) return false;
  for (const UnknownPrecision& unknown : unknowns) {
    const double delta = numericalTolerance(unknown.sd, digits);
    for (const double error :
         {unknown.meanError, unknown.sdError, unknown.symmetricLowerError,
          unknown.symmetricUpperError}) {
      // Written so that a NaN fails.
      const double expanded = unknown.coverageFactor * error;
      if (!(expanded <= delta)) return false;
    }
  }
  return true;
}

double neededGrowth(std::span<const UnknownPrecision> unknowns, int digits) {
  constexpr double kNone = std::numeric_limits<double>::infinity();
  if (unknowns.empty()) return kNone;
  double growth = 0.0;
  for (const UnknownPrecision& unknown : unknowns) {
    const double delta = numericalTolerance(unknown.sd, digits);
    for (const double error :
         {unknown.meanError, unknown.sdError, unknown.symmetricLowerError,
          unknown.symmetricUpperError}) {
      if (std::isnan(error) || std::isnan(delta) ||
          std::isnan(unknown.coverageFactor)) {
        return kNone;
      }
      if (error == 0.0) continue;
      if (delta == 0.0) return kNone;
      const double ratio = unknown.coverageFactor * error / delta;
      growth = std::max(growth, ratio * ratio);
    }
  }
  return growth;
}

}  // namespace linprob
