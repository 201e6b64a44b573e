// Correctly rounded conversion of an exact rational to double, by integer
// arithmetic only (no conversion through the library's own double
// conversion, whose rounding is not guaranteed).
//
// The quotient is scaled so that its integer part holds 55 or 56 bits; those
// bits plus a sticky bit (remainder nonzero) decide the rounding exactly.
// Subnormal results keep the fixed quantum 2^-1074. Rounding is on the value:
//   kToNearest  nearest double, ties to even; beyond the largest finite
//               double by at least half its quantum: +-inf;
//   kDownward   largest double <= value (a negative overflow gives -inf, a
//               positive one the largest finite double);
//   kUpward     smallest double >= value (mirror image).
// Zero gives +0.0; a nonzero value that rounds to zero keeps its sign (-0.0).
// The result does not depend on the current floating-point rounding mode.
#ifndef LINPROB_LINEAR_RATIONAL_ROUNDING_H_
#define LINPROB_LINEAR_RATIONAL_ROUNDING_H_

#include <cstdint>

#include <boost/multiprecision/cpp_int.hpp>

namespace linprob {

enum class RoundingDirection { kToNearest, kDownward, kUpward };

double roundToDouble(const boost::multiprecision::cpp_rational& value,
                     RoundingDirection direction);

// numerator / denominator * 2^exponent, rounded; the denominator must be
// positive (std::invalid_argument "rounding: denominator is not positive").
// The power of two costs nothing, so callers with dyadic data avoid
// building a reduced fraction.
double roundQuotient(const boost::multiprecision::cpp_int& numerator,
                     const boost::multiprecision::cpp_int& denominator,
                     std::int64_t exponent, RoundingDirection direction);

}  // namespace linprob

#endif  // LINPROB_LINEAR_RATIONAL_ROUNDING_H_
