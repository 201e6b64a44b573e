#include "linear/ball_rounding.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstdint>
#include <vector>

#include <gmp.h>

#include "linear/flint_handles.h"

namespace linprob {

using boost::multiprecision::cpp_int;

namespace {

// Binary exponents beyond this are far outside double's range either way;
// clamping them keeps the arithmetic in 64 bits without changing a result.
constexpr std::int64_t kExponentClamp = std::int64_t{1} << 40;

}  // namespace

cpp_int toCppInt(const fmpz* value) {
  // Boost's import_bits does not take an empty range: 0 (and every other
  // word-sized value) goes directly.
  if (fmpz_fits_si(value)) return cpp_int(fmpz_get_si(value));
  mpz_t z;
  mpz_init(z);
  fmpz_get_mpz(z, value);
  std::vector<std::uint64_t> words((mpz_sizeinbase(z, 2) + 63) / 64);
  std::size_t count = 0;
  mpz_export(words.data(), &count, -1, sizeof(std::uint64_t), 0, 0, z);
  cpp_int result;
  import_bits(result, words.begin(), words.begin() + static_cast<long>(count),
              64, false);
  if (mpz_sgn(z) < 0) result = -result;
  mpz_clear(z);
  return result;
}

void setFromCppInt(fmpz* value, const cpp_int& from) {
  std::vector<std::uint64_t> words;
  const cpp_int magnitude = abs(from);
  export_bits(magnitude, std::back_inserter(words), 64, false);
  mpz_t z;
  mpz_init(z);
  mpz_import(z, words.size(), -1, sizeof(std::uint64_t), 0, 0, words.data());
  if (from < 0) mpz_neg(z, z);
  fmpz_set_mpz(value, z);
  mpz_clear(z);
}

double roundedArf(const arf_struct* value, RoundingDirection direction) {
  // Well inside the normal range Arb rounds to 53 bits itself, by the same
  // rules (to nearest: ties to even), and far faster than through integers.
  if (!arf_is_zero(value) && arf_is_finite(value) &&
      arf_cmpabs_2exp_si(value, 1000) < 0 &&
      arf_cmpabs_2exp_si(value, -1000) > 0) {
    const arf_rnd_t mode = direction == RoundingDirection::kToNearest
                               ? ARF_RND_NEAR
                           : direction == RoundingDirection::kDownward
                               ? ARF_RND_FLOOR
                               : ARF_RND_CEIL;
    return arf_get_d(value, mode);
  }
  Fmpz mantissa;
  Fmpz exponent;
  arf_get_fmpz_2exp(mantissa.get(), exponent.get(), value);
  std::int64_t shift = 0;
  if (fmpz_cmp_si(exponent.get(), kExponentClamp) > 0) {
    shift = kExponentClamp;
  } else if (fmpz_cmp_si(exponent.get(), -kExponentClamp) < 0) {
    shift = -kExponentClamp;
  } else {
    shift = fmpz_get_si(exponent.get());
  }
  return roundQuotient(toCppInt(mantissa.get()), 1, shift, direction);
}

std::optional<double> decidedRounding(const arb_struct* ball,
                                      RoundingDirection direction) {
  if (!arb_is_finite(ball)) return std::nullopt;
  // The ends at enough precision that only an inexact ball rounds them
  // (outward), which can only widen the enclosure.
  const slong precision =
      std::max<slong>(arf_bits(arb_midref(ball)), 64) + 64;
  Arf lower;
  Arf upper;
  arb_get_lbound_arf(lower.get(), ball, precision);
  arb_get_ubound_arf(upper.get(), ball, precision);
  const double low = roundedArf(lower.get(), direction);
  const double high = roundedArf(upper.get(), direction);
  // -0.0 == 0.0, but they are different results: compare the bits.
  if (low != high || std::signbit(low) != std::signbit(high)) return std::nullopt;
  return low;
}

}  // namespace linprob
