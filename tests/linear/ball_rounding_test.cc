#include "linear/ball_rounding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "linear/flint_handles.h"
#include "linear/rational_rounding.h"

namespace linprob {
namespace {

using boost::multiprecision::cpp_int;
using boost::multiprecision::cpp_rational;

// Long mantissas at every scale, ties and near-ties included: each rounds
// as the exact rational does, in every direction, bit for bit.
TEST(BallRoundingTest, ArfRoundsAsItsExactValue) {
  std::mt19937_64 random(7);
  const RoundingDirection directions[] = {RoundingDirection::kToNearest,
                                          RoundingDirection::kDownward,
                                          RoundingDirection::kUpward};
  Fmpz mantissa;
  Arf value;
  for (int i = 0; i < 20000; ++i) {
    // 54 to 120 bits, so that the 53-bit rounding has work to do; every
    // fifth a tie (a single bit below the 53 kept).
    fmpz_set_ui(mantissa.get(), random() | (std::uint64_t{1} << 63));
    fmpz_mul_2exp(mantissa.get(), mantissa.get(), random() % 57);
    if (i % 5 == 0) {
      fmpz_set_ui(mantissa.get(), (random() >> 11) | (std::uint64_t{1} << 52));
      fmpz_mul_2exp(mantissa.get(), mantissa.get(), 1);
      fmpz_add_ui(mantissa.get(), mantissa.get(), 1);
    }
    if (random() % 2) fmpz_neg(mantissa.get(), mantissa.get());
    const long shift = static_cast<long>(random() % 2300) - 1200;
    Fmpz exponent;
    fmpz_set_si(exponent.get(), shift);
    arf_set_fmpz_2exp(value.get(), mantissa.get(), exponent.get());

    const cpp_int integer = toCppInt(mantissa.get());
    cpp_rational exact(integer);
    if (shift >= 0) {
      exact *= cpp_rational(cpp_int(1) << shift);
    } else {
      exact /= cpp_rational(cpp_int(1) << -shift);
    }
    for (const RoundingDirection direction : directions) {
      const double fast = roundedArf(value.get(), direction);
      const double slow = roundToDouble(exact, direction);
      ASSERT_EQ(std::memcmp(&fast, &slow, sizeof fast), 0)
          << i << " shift " << shift << " direction "
          << static_cast<int>(direction);
    }
  }
}

}  // namespace
}  // namespace linprob
