// The first-order normal approximation of the solution of A x = b where A
// and b are random with independent entries: x0 = A0^-1 b0 at the means,
// and dx = A0^-1 (db - dA x0) to first order, so
//
//   var(x_i) = sum_k (A0^-1)_ik^2 (var(b_k) + sum_j var(A_kj) x0_j^2).
//
// A0^-1 comes from replaying the unit vectors through the mean matrix's
// recorded elimination, x0 from replaying b0, in the program's operation
// order; the sums run in index order. What it neglects (the curvature of
// A^-1 in A) is what a phase's VALID bands show and its discrepancy
// measures.
//
// The second-order correction of the mean, cheap beside it: with
// x = (I + A0^-1 dA)^-1 A0^-1 (b0 + db), E[x] = x0 + E[A0^-1 dA A0^-1 dA] x0
// to second order, which for independent entries is
//
//   x0_i + sum_k (A0^-1)_ik sum_l (A0^-1)_lk var(A_kl) x0_l.
#ifndef LINPROB_LINEAR_FIRST_ORDER_MOMENTS_H_
#define LINPROB_LINEAR_FIRST_ORDER_MOMENTS_H_

#include <vector>

#include "linear/linear_system.h"
#include "linear/normal_parameters.h"

namespace linprob {

struct FirstOrderMoments {
  std::vector<NormalParameters> normal;  // x0 and the first-order variance
  std::vector<double> secondOrderMean;
};

// `mean` is A0 eliminated; `rhs` b's moments by equation, `matrix` A's by
// entry, row-major. The results are by solution position of `mean`.
FirstOrderMoments firstOrderMoments(const LinearSystem& mean,
                                    const std::vector<NormalParameters>& rhs,
                                    const std::vector<NormalParameters>& matrix);

}  // namespace linprob

#endif  // LINPROB_LINEAR_FIRST_ORDER_MOMENTS_H_
