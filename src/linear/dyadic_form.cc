#include "linear/dyadic_form.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace linprob {

using boost::multiprecision::cpp_int;
using boost::multiprecision::cpp_rational;

DyadicNumber dyadicOf(double x) {
  if (x == 0.0) return DyadicNumber{};
  int binaryExponent = 0;
  // x = fraction * 2^binaryExponent with 0.5 <= |fraction| < 1; fraction *
  // 2^53 is an integer (subnormals included) and both steps are exact.
  const double fraction = std::frexp(x, &binaryExponent);
  std::int64_t mantissa = static_cast<std::int64_t>(std::ldexp(fraction, 53));
  std::int64_t exponent = static_cast<std::int64_t>(binaryExponent) - 53;
  while ((mantissa & 1) == 0) {
    mantissa /= 2;
    ++exponent;
  }
  return DyadicNumber{mantissa, exponent};
}

DyadicVector dyadicVectorOf(const std::vector<double>& values) {
  std::vector<DyadicNumber> parts;
  parts.reserve(values.size());
  std::int64_t lowest = std::numeric_limits<std::int64_t>::max();
  for (double v : values) {
    parts.push_back(dyadicOf(v));
    if (parts.back().mantissa != 0) {
      lowest = std::min(lowest, parts.back().exponent);
    }
  }
  DyadicVector result;
  result.exponent =
      lowest == std::numeric_limits<std::int64_t>::max() ? 0 : lowest;
  result.integers.resize(values.size());
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].mantissa == 0) continue;
    result.integers[i] = parts[i].mantissa;
    result.integers[i] <<= static_cast<unsigned>(parts[i].exponent -
                                                 result.exponent);
  }
  return result;
}

cpp_rational scaledByPowerOfTwo(const cpp_int& value, std::int64_t exponent) {
  if (exponent >= 0) {
    return cpp_rational(cpp_int(value << static_cast<unsigned>(exponent)));
  }
  cpp_int denominator = 1;
  denominator <<= static_cast<unsigned>(-exponent);
  return cpp_rational(value, denominator);
}

cpp_rational exactRationalOf(double x) {
  const DyadicNumber d = dyadicOf(x);
  return scaledByPowerOfTwo(cpp_int(d.mantissa), d.exponent);
}

}  // namespace linprob
