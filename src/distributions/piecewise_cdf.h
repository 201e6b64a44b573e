// The distribution function of a uniform or triangular SumLaw as the exact
// alternating sum of its polynomial pieces, in Arb ball arithmetic.
//
// Each part's density is a difference of steps: a uniform part on [-h, h]
// is (1/(2h)) (S_{-h} - S_{+h}) applied to the unit step, a triangular part
// (the sum of two uniform parts on [-h/2, h/2]) is (1/h^2) (S_{-h} - 2 S_0 +
// S_{+h}) applied to the ramp, S_s shifting by s. Convolving the m parts,
//
//   F(x) = prod_j c_j / N! * sum over one atom per part of
//          prod(weights) * (x - center + sum(shifts))_+^N,
//
// N the sum of the parts' orders (1 uniform, 2 triangular). The terms are
// large and alternate in sign, so a double sum would lose every digit to
// cancellation; in Arb the loss shows as a wide ball, which the caller
// narrows by asking again at a higher precision.
//
// pieceCount is the number of terms, 2^m (uniform) or 3^m (triangular),
// saturated at UINT64_MAX; evaluation cost grows with it times the points.
#ifndef LINPROB_DISTRIBUTIONS_PIECEWISE_CDF_H_
#define LINPROB_DISTRIBUTIONS_PIECEWISE_CDF_H_

#include <cstddef>
#include <cstdint>

#include "distributions/sum_law.h"

namespace linprob {

std::uint64_t pieceCount(const SumLaw& law);

// F at each of `count` points into out[0 .. count-1]; the law is uniform or
// triangular (std::invalid_argument "piecewise cdf: normal law" otherwise).
void piecewiseCdf(const SumLaw& law, arb_srcptr points, std::size_t count,
                  slong precision, arb_ptr out);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_PIECEWISE_CDF_H_
