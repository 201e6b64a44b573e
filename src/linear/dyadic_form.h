// Exact integer form of doubles: every finite double is m * 2^e with m an
// integer of at most 53 bits, so a vector of doubles is exactly a vector of
// integers times one common power of two (the smallest exponent among its
// nonzero entries). The exact computations build on this form instead of on
// reduced fractions, whose greatest common divisors would dominate their cost.
//
// Non-finite input is the caller's to refuse; here it is a precondition.
#ifndef LINPROB_LINEAR_DYADIC_FORM_H_
#define LINPROB_LINEAR_DYADIC_FORM_H_

#include <cstdint>
#include <vector>

#include <boost/multiprecision/cpp_int.hpp>

namespace linprob {

// One finite double as mantissa * 2^exponent, the mantissa odd (or 0 with
// exponent 0).
struct DyadicNumber {
  std::int64_t mantissa = 0;
  std::int64_t exponent = 0;
};

DyadicNumber dyadicOf(double x);

// values[i] == integers[i] * 2^exponent exactly, for every i.
struct DyadicVector {
  std::vector<boost::multiprecision::cpp_int> integers;
  std::int64_t exponent = 0;
};

DyadicVector dyadicVectorOf(const std::vector<double>& values);

// The exact value of a double as a rational.
boost::multiprecision::cpp_rational exactRationalOf(double x);

// value * 2^exponent as a rational (exponent of either sign).
boost::multiprecision::cpp_rational scaledByPowerOfTwo(
    const boost::multiprecision::cpp_int& value, std::int64_t exponent);

}  // namespace linprob

#endif  // LINPROB_LINEAR_DYADIC_FORM_H_
