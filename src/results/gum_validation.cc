#include "results/gum_validation.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include <boost/multiprecision/cpp_int.hpp>

namespace linprob {

using boost::multiprecision::cpp_int;

namespace {

// u >= 10^e, exactly: u = m 2^x, so compare m 5^max(-e,0) 2^(x-e) with
// 5^max(e,0) (the powers of two moved to one side).
bool atLeastPowerOfTen(double u, int e) {
  int binaryExponent = 0;
  const double fraction = std::frexp(u, &binaryExponent);
  cpp_int left = static_cast<std::int64_t>(std::ldexp(fraction, 53));
  const long shift = static_cast<long>(binaryExponent) - 53 - e;
  cpp_int right = 1;
  const cpp_int five = 5;
  if (e < 0) {
    left *= boost::multiprecision::pow(five, static_cast<unsigned>(-e));
  } else {
    right = boost::multiprecision::pow(five, static_cast<unsigned>(e));
  }
  if (shift >= 0) {
    left <<= static_cast<unsigned>(shift);
  } else {
    right <<= static_cast<unsigned>(-shift);
  }
  return left >= right;
}

}  // namespace

int decimalExponent(double u) {
  // The library's logarithm may be off by one near powers of ten; the
  // exact comparisons settle it.
  int e = static_cast<int>(std::floor(std::log10(u)));
  while (!atLeastPowerOfTen(u, e)) --e;
  while (atLeastPowerOfTen(u, e + 1)) ++e;
  return e;
}

GumValidation validateAgainstCoverage(double mean, double sd,
                                      double symmetricLower,
                                      double symmetricUpper,
                                      double resolution) {
  GumValidation result;
  // One rounding per step, in the order of the formulas: U, then y - U (or
  // y + U), then the difference with the coverage bound.
  const double halfWidth = kNormalCoverageFactor * sd;
  const double low = mean - halfWidth;
  const double high = mean + halfWidth;
  result.dLow = std::fabs(low - symmetricLower);
  result.dHigh = std::fabs(high - symmetricUpper);
  if (!(sd > 0.0) || !std::isfinite(sd)) {
    result.delta = std::numeric_limits<double>::quiet_NaN();
    return result;
  }
  const int l = decimalExponent(sd) - 1;
  // 10^l / 2 = 5e(l-1), read as decimal text: the nearest double.
  const std::string text = "5e" + std::to_string(l - 1);
  std::from_chars(text.data(), text.data() + text.size(), result.delta);
  if (!std::isfinite(mean) || !std::isfinite(symmetricLower) ||
      !std::isfinite(symmetricUpper) || !std::isfinite(result.dLow) ||
      !std::isfinite(result.dHigh) || !(resolution <= result.delta / 5.0)) {
    return result;
  }
  result.validated = std::max(result.dLow, result.dHigh) <= result.delta;
  return result;
}

}  // namespace linprob
