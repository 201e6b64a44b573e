// The readers of a CertifiedInverse's enclosure (linear/certified_inverse.h):
// each builds the rows it needs from the terms and the radii, one row of n
// entries for the cost of one.
#include <vector>

#include "linear/ball_rounding.h"
#include "linear/certified_inverse.h"
#include "linear/certified_inverse_state.h"
#include "linear/flint_handles.h"

namespace linprob {
namespace {

// The ends of `ball`, each rounded outward to a double: its midpoint's bits
// and 64 more decide the rounding of a radius far below them.
ValueBounds outwardBounds(const arb_struct* ball) {
  const slong precision = arf_bits(arb_midref(ball)) + 64;
  Arf end;
  ValueBounds bounds;
  arb_get_lbound_arf(end.get(), ball, precision);
  bounds.lower = roundedArf(end.get(), RoundingDirection::kDownward);
  arb_get_ubound_arf(end.get(), ball, precision);
  bounds.upper = roundedArf(end.get(), RoundingDirection::kUpward);
  return bounds;
}

}  // namespace

ValueBounds CertifiedInverse::entry(unsigned row, unsigned column) const {
  ArbVector balls(state_->n);
  state_->enclosedRow(row, balls.data());
  return outwardBounds(balls[column]);
}

std::vector<ValueBounds> CertifiedInverse::rowBounds(unsigned row) const {
  const unsigned n = state_->n;
  ArbVector balls(n);
  state_->enclosedRow(row, balls.data());
  std::vector<ValueBounds> bounds(n);
  for (unsigned j = 0; j < n; ++j) bounds[j] = outwardBounds(balls[j]);
  return bounds;
}

std::vector<double> CertifiedInverse::rowMagnitudes(unsigned row) const {
  const unsigned n = state_->n;
  ArbVector balls(n);
  state_->enclosedRow(row, balls.data());
  std::vector<double> sizes(n);
  Arf end;
  for (unsigned j = 0; j < n; ++j) {
    arb_abs(balls[j], balls[j]);
    arb_get_ubound_arf(end.get(), balls[j], 128);
    sizes[j] = roundedArf(end.get(), RoundingDirection::kUpward);
  }
  return sizes;
}

ValueBounds CertifiedInverse::inverseNorm() const {
  const unsigned n = state_->n;
  ArbVector balls(n);
  Arb sum;
  Arf end;
  Arf lower;
  Arf upper;
  arf_zero(lower.get());
  arf_zero(upper.get());
  for (unsigned i = 0; i < n; ++i) {
    state_->enclosedRow(i, balls.data());
    arb_zero(sum.get());
    for (unsigned j = 0; j < n; ++j) {
      arb_abs(balls[j], balls[j]);
      arb_add(sum.get(), sum.get(), balls[j], 128);
    }
    arb_get_lbound_arf(end.get(), sum.get(), 128);
    arf_max(lower.get(), lower.get(), end.get());
    arb_get_ubound_arf(end.get(), sum.get(), 128);
    arf_max(upper.get(), upper.get(), end.get());
  }
  return ValueBounds{roundedArf(lower.get(), RoundingDirection::kDownward),
                     roundedArf(upper.get(), RoundingDirection::kUpward)};
}

void CertifiedInverseState::enclosedRow(unsigned row, arb_ptr out) const {
  Arf part;
  for (unsigned j = 0; j < n; ++j) {
    arb_struct* ball = out + j;
    arb_zero(ball);
    for (const InverseTerm& term : terms) {
      const fmpz* value = term.ints.at(row, j);
      if (fmpz_is_zero(value)) continue;
      arf_set_fmpz(part.get(), value);
      arf_mul_2exp_si(part.get(), part.get(), term.columnExponents[j]);
      arf_add(arb_midref(ball), arb_midref(ball), part.get(), ARF_PREC_EXACT,
              ARF_RND_DOWN);
    }
    mag_mul(arb_radref(ball), rowRadii[row].get(), columnBounds[j].get());
  }
}

}  // namespace linprob
