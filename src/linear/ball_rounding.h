// Rounding to double decided from an enclosure, and the conversions between
// FLINT's integers and Boost's that it and the exact last resort need. Only
// the linear layer's own sources include this header.
//
// An enclosure [lower, upper] of an unknown real v decides its rounding in a
// direction when lower and upper round to the same double: rounding is
// monotone, so v rounds to that double too. The rounding itself is
// roundQuotient's (linear/rational_rounding.h) on the exact binary value of
// each end, so a decided value is bit for bit what exact arithmetic gives.
#ifndef LINPROB_LINEAR_BALL_ROUNDING_H_
#define LINPROB_LINEAR_BALL_ROUNDING_H_

#include <optional>

#include <arb.h>
#include <boost/multiprecision/cpp_int.hpp>
#include <flint/fmpz.h>

#include "linear/rational_rounding.h"

namespace linprob {

boost::multiprecision::cpp_int toCppInt(const fmpz* value);
void setFromCppInt(fmpz* value, const boost::multiprecision::cpp_int& from);

// The exact value of `value` (finite) rounded in `direction`.
double roundedArf(const arf_struct* value, RoundingDirection direction);

// The rounding of every real in the ball, or std::nullopt when its ends
// round apart (or the ball is not finite).
std::optional<double> decidedRounding(const arb_struct* ball,
                                      RoundingDirection direction);

}  // namespace linprob

#endif  // LINPROB_LINEAR_BALL_ROUNDING_H_
