#include "distributions/sum_law.h"

#include <arb_hypgeom.h>

namespace linprob {

SumLaw sumLaw(EntryShape shape, arb_srcptr row,
              const std::vector<double>& pairs, slong precision) {
  SumLaw law;
  law.shape = shape;
  const std::size_t n = pairs.size() / 2;
  Ball p;
  Ball q;
  Ball term;
  for (std::size_t j = 0; j < n; ++j) {
    arb_srcptr a = row + j;
    arb_set_d(p.get(), pairs[2 * j]);
    arb_set_d(q.get(), pairs[2 * j + 1]);
    if (shape == EntryShape::kNormal) {
      arb_addmul(law.center.get(), a, p.get(), precision);
      arb_mul(term.get(), a, a, precision);
      arb_addmul(law.variance.get(), term.get(), q.get(), precision);
      continue;
    }
    // Midpoint and half-width of [p, q], then scaled by a_ij.
    arb_add(term.get(), p.get(), q.get(), precision);
    arb_mul_2exp_si(term.get(), term.get(), -1);
    arb_addmul(law.center.get(), a, term.get(), precision);
    arb_sub(term.get(), q.get(), p.get(), precision);
    arb_mul_2exp_si(term.get(), term.get(), -1);
    arb_mul(term.get(), term.get(), a, precision);
    arb_abs(term.get(), term.get());
    if (arb_is_zero(term.get())) continue;
    arb_add(law.supportHalfWidth.get(), law.supportHalfWidth.get(), term.get(),
            precision);
    law.halfWidths.push_back(term);
  }
  return law;
}

bool cdfOutsideParts(const SumLaw& law, const arb_t x, slong precision,
                     arb_t out) {
  Ball offset;  // x - center
  arb_sub(offset.get(), x, law.center.get(), precision);
  if (law.pointMass()) {
    if (arb_is_nonnegative(offset.get())) {
      arb_one(out);
    } else if (arb_is_negative(offset.get())) {
      arb_zero(out);
    } else {
      arb_set_d(out, 0.5);  // [0, 1]: the point may be the center
      mag_set_d(arb_radref(out), 0.5);
    }
    return true;
  }
  if (law.shape == EntryShape::kNormal) return false;
  Ball edge;
  arb_add(edge.get(), offset.get(), law.supportHalfWidth.get(), precision);
  if (arb_is_nonpositive(edge.get())) {
    arb_zero(out);
    return true;
  }
  arb_sub(edge.get(), offset.get(), law.supportHalfWidth.get(), precision);
  if (arb_is_nonnegative(edge.get())) {
    arb_one(out);
    return true;
  }
  return false;
}

void normalCdf(const SumLaw& law, arb_srcptr points, std::size_t count,
               slong precision, arb_ptr out) {
  // F(x) = erfc((center - x) / sqrt(2 variance)) / 2.
  Ball scale;
  arb_mul_2exp_si(scale.get(), law.variance.get(), 1);
  arb_rsqrt(scale.get(), scale.get(), precision);
  Ball z;
  for (std::size_t k = 0; k < count; ++k) {
    if (cdfOutsideParts(law, points + k, precision, out + k)) continue;
    arb_sub(z.get(), law.center.get(), points + k, precision);
    arb_mul(z.get(), z.get(), scale.get(), precision);
    arb_hypgeom_erfc(out + k, z.get(), precision);
    arb_mul_2exp_si(out + k, out + k, -1);
  }
}

}  // namespace linprob
