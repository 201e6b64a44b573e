// The variance of a linear form of correlated entries, in balls: for
// weights w_j = a_j sd_j (the form's coefficients times the entries'
// standard deviations) and the entries' correlation matrix R, the variance
// of sum_j a_j b_j is w^T R w. The exact references and the continuous
// truth of correlated normal entries both take it from here.
#ifndef LINPROB_LINEAR_CORRELATED_VARIANCE_H_
#define LINPROB_LINEAR_CORRELATED_VARIANCE_H_

#include <cstddef>
#include <vector>

#include <arb.h>

namespace linprob {

// out = w^T R w for the n balls of `w` and R (n x n doubles, row-major,
// each taken exactly; its zeros are skipped).
void correlatedVariance(arb_t out, arb_srcptr w, std::size_t n,
                        const std::vector<double>& r, slong precision);

}  // namespace linprob

#endif  // LINPROB_LINEAR_CORRELATED_VARIANCE_H_
