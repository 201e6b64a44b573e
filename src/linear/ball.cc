#include "linear/ball.h"

#include <cmath>
#include <iterator>
#include <limits>
#include <vector>

#include <flint/fmpz.h>

namespace linprob {

using boost::multiprecision::cpp_int;

namespace {

// An fmpz that frees itself.
class Integer {
 public:
  explicit Integer(const cpp_int& x) {
    fmpz_init(value_);
    std::vector<ulong> limbs;
    // Least significant 64-bit limb first; the sign is set afterwards.
    boost::multiprecision::export_bits(x, std::back_inserter(limbs), 64,
                                       false);
    fmpz_set_ui_array(value_, limbs.data(), static_cast<slong>(limbs.size()));
    if (x < 0) fmpz_neg(value_, value_);
  }
  Integer(const Integer&) = delete;
  Integer& operator=(const Integer&) = delete;
  ~Integer() { fmpz_clear(value_); }
  const fmpz* get() const { return value_; }

 private:
  fmpz_t value_;
};

}  // namespace

void setRational(arb_t out, const cpp_int& numerator,
                 const cpp_int& denominator, slong precision) {
  const Integer top(numerator);
  const Integer bottom(denominator);
  arb_fmpz_div_fmpz(out, top.get(), bottom.get(), precision);
}

void setRational(arb_t out, const boost::multiprecision::cpp_rational& value,
                 slong precision) {
  setRational(out, boost::multiprecision::numerator(value),
              boost::multiprecision::denominator(value), precision);
}

RoundedValue roundedValue(const arb_t ball) {
  RoundedValue rounded;
  if (!arb_is_finite(ball)) {
    rounded.value = std::numeric_limits<double>::quiet_NaN();
    rounded.error = std::numeric_limits<double>::infinity();
    return rounded;
  }
  rounded.value = arf_get_d(arb_midref(ball), ARF_RND_NEAR);
  // sup |x - value| over the ball: the midpoint's own rounding plus the
  // radius, the difference formed exactly.
  arb_t gap;
  arf_t bound;
  arb_init(gap);
  arf_init(bound);
  arb_set_d(gap, rounded.value);
  arb_sub(gap, ball, gap, ARF_PREC_EXACT);
  arb_get_abs_ubound_arf(bound, gap, 53);
  rounded.error = arf_get_d(bound, ARF_RND_UP);
  arf_clear(bound);
  arb_clear(gap);
  return rounded;
}

void releaseArbCaches() { flint_cleanup(); }

}  // namespace linprob
