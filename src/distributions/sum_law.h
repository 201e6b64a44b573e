// SumLaw: the exact distribution of one unknown x_i = sum_j (A^-1)ij b_j
// when the right-hand-side entries b_j are independent and each follows its
// family as its parameters describe it:
//
//   normal      b_j ~ N(mean_j, variance_j) (NormalRHS.txt pairs):
//               x_i ~ N(center, variance), center = sum_j a_ij mean_j,
//               variance = sum_j a_ij^2 variance_j;
//   uniform     b_j uniform on [p_j, q_j] (UniformRHS.txt pairs):
//               x_i = center + sum_j Y_j, Y_j uniform on [-h_j, h_j],
//               center = sum_j a_ij (p_j + q_j) / 2, h_j = |a_ij| (q_j - p_j) / 2;
//   triangular  b_j symmetric triangular on [p_j, q_j], its mode at the
//               midpoint: the same with Y_j symmetric triangular on
//               [-h_j, h_j].
//
// Every number is an Arb ball at the caller's precision, built from the
// balls of row i of A^-1 (linear/inverse_rows.h) and the parameter doubles
// (exact in Arb), so the law encloses the exact one. Parts that are exactly
// zero are left out of halfWidths. cdfOutsideParts evaluates what needs no
// sum: a point at or beyond either end of the support (cdf exactly 0 or 1),
// and a law without spread (a point mass at the center; where the center's
// ball holds the point, the cdf is only known to lie in [0, 1]).
#ifndef LINPROB_DISTRIBUTIONS_SUM_LAW_H_
#define LINPROB_DISTRIBUTIONS_SUM_LAW_H_

#include <vector>

#include <arb.h>

#include "distributions/family.h"
#include "linear/ball.h"

namespace linprob {

// The shape of a family's entries is its row's `shape` (family.h).

struct SumLaw {
  EntryShape shape = EntryShape::kNormal;
  Ball center;
  Ball variance;                 // normal
  std::vector<Ball> halfWidths;  // uniform and triangular, nonzero parts
  Ball supportHalfWidth;         // sum of halfWidths

  bool pointMass() const {
    return shape == EntryShape::kNormal ? arb_is_zero(variance.get()) != 0
                                        : halfWidths.empty();
  }
};

// `row` holds n balls, `pairs` 2n doubles (finite; lower <= upper and
// variance >= 0 are the parameter files' checks, made before a run).
SumLaw sumLaw(EntryShape shape, arb_srcptr row,
              const std::vector<double>& pairs, slong precision);

// True when F(x) = P(x_i <= x) needs no sum, with F(x) in `out`.
bool cdfOutsideParts(const SumLaw& law, const arb_t x, slong precision,
                     arb_t out);

// F at each of `count` points for the normal law (erfc in Arb).
void normalCdf(const SumLaw& law, arb_srcptr points, std::size_t count,
               slong precision, arb_ptr out);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_SUM_LAW_H_
