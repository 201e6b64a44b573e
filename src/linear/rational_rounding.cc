#include "linear/rational_rounding.h"

#include <cmath>
#include <limits>
#include <stdexcept>

namespace linprob {

using boost::multiprecision::cpp_int;

namespace {

// How the magnitude is rounded once the sign is taken out.
enum class MagnitudeRounding { kNearestEven, kTowardZero, kAwayFromZero };

MagnitudeRounding magnitudeRounding(RoundingDirection direction,
                                    bool negative) {
  switch (direction) {
    case RoundingDirection::kToNearest:
      return MagnitudeRounding::kNearestEven;
    case RoundingDirection::kDownward:
      return negative ? MagnitudeRounding::kAwayFromZero
                      : MagnitudeRounding::kTowardZero;
    case RoundingDirection::kUpward:
      return negative ? MagnitudeRounding::kTowardZero
                      : MagnitudeRounding::kAwayFromZero;
  }
  return MagnitudeRounding::kNearestEven;
}

// Smallest and largest exponents of the quantum (unit in the last place) of
// a double: subnormals have 2^-1074, the largest binade 2^971.
constexpr std::int64_t kMinQuantumExponent = -1074;
constexpr std::int64_t kMaxQuantumExponent = 971;
constexpr std::uint64_t kHiddenBit = std::uint64_t{1} << 52;

}  // namespace

double roundQuotient(const cpp_int& numerator, const cpp_int& denominator,
                     std::int64_t exponent, RoundingDirection direction) {
  if (denominator <= 0) {
    throw std::invalid_argument("rounding: denominator is not positive");
  }
  if (numerator == 0) return 0.0;
  const bool negative = numerator < 0;
  const MagnitudeRounding mode = magnitudeRounding(direction, negative);
  cpp_int top = abs(numerator);
  cpp_int bottom = denominator;

  // top / bottom lies in (2^(a-b-1), 2^(a-b+1)) with a, b the top bits; the
  // shift puts the integer quotient q into [2^54, 2^56).
  const std::int64_t a = static_cast<std::int64_t>(msb(top));
  const std::int64_t b = static_cast<std::int64_t>(msb(bottom));
  const std::int64_t shift = 55 - (a - b);
  if (shift >= 0) {
    top <<= static_cast<unsigned>(shift);
  } else {
    bottom <<= static_cast<unsigned>(-shift);
  }
  cpp_int quotient;
  cpp_int remainder;
  divide_qr(top, bottom, quotient, remainder);
  const std::uint64_t q = quotient.convert_to<std::uint64_t>();
  const bool sticky = remainder != 0;
  // |value| = (q + remainder / bottom) * 2^unitExponent.
  const std::int64_t unitExponent = exponent - shift;
  const std::int64_t topBit = static_cast<std::int64_t>(msb(quotient));
  const std::int64_t valueExponent = topBit + unitExponent;

  const double largest = std::numeric_limits<double>::max();
  const double infinity = std::numeric_limits<double>::infinity();
  if (valueExponent > 1023) {
    const double magnitude =
        mode == MagnitudeRounding::kTowardZero ? largest : infinity;
    return negative ? -magnitude : magnitude;
  }

  // The quantum of the result, and how many low bits of q lie below it
  // (at least 2 for normal results, since q has 55 or 56 bits).
  std::int64_t quantumExponent = valueExponent - 52;
  if (quantumExponent < kMinQuantumExponent) {
    quantumExponent = kMinQuantumExponent;
  }
  const std::int64_t dropped = quantumExponent - unitExponent;
  std::uint64_t kept = 0;
  // Compared with half a quantum: below, exactly half, above.
  int againstHalf = -1;
  bool inexact = sticky;
  if (dropped >= 64) {
    // Everything is below half a quantum: q < 2^56 <= 2^(dropped - 1).
    inexact = true;
  } else {
    kept = q >> dropped;
    const std::uint64_t rest = q & ((std::uint64_t{1} << dropped) - 1);
    const std::uint64_t half = std::uint64_t{1} << (dropped - 1);
    if (rest > half || (rest == half && sticky)) {
      againstHalf = 1;
    } else if (rest == half) {
      againstHalf = 0;
    }
    inexact = inexact || rest != 0;
  }

  bool roundUp = false;
  switch (mode) {
    case MagnitudeRounding::kNearestEven:
      roundUp = againstHalf > 0 || (againstHalf == 0 && (kept & 1) != 0);
      break;
    case MagnitudeRounding::kTowardZero:
      roundUp = false;
      break;
    case MagnitudeRounding::kAwayFromZero:
      roundUp = inexact;
      break;
  }
  if (roundUp) ++kept;
  // A carry out of the 53 bits moves to the next binade.
  if (kept == 2 * kHiddenBit) {
    kept = kHiddenBit;
    ++quantumExponent;
  }
  if (quantumExponent > kMaxQuantumExponent) {
    return negative ? -infinity : infinity;
  }
  // kept < 2^53 and the quantum is in range: ldexp is exact.
  const double magnitude =
      std::ldexp(static_cast<double>(kept), static_cast<int>(quantumExponent));
  return negative ? -magnitude : magnitude;
}

double roundToDouble(const boost::multiprecision::cpp_rational& value,
                     RoundingDirection direction) {
  return roundQuotient(numerator(value), denominator(value), 0, direction);
}

}  // namespace linprob
