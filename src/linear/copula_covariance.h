// The covariance of correlated entries whose copula is Gaussian (entry e
// is F_e^-1(Phi(z_e)), z standard normals of correlation R), where it has a
// closed form from each entry's mean m and variance v:
//   normal      Cov_ij = sd_i sd_j R_ij (the multivariate normal D R D);
//   uniform     Cov_ij = sd_i sd_j (6 / pi) asin(R_ij / 2) (Spearman's rho
//               of the Gaussian copula: Cov(Phi(z_i), Phi(z_j)) =
//               asin(R_ij / 2) / (2 pi), over the uniform's variance 1/12);
//   lognormal   Cov_ij = m_i m_j (exp(R_ij s_i s_j) - 1), s_i^2 =
//               ln(1 + v_i / m_i^2) (entry i is exp(mu_i + s_i z_i)).
// The diagonal is each entry's own variance. Other laws (the triangular,
// listed values) have no closed form: kNone.
#ifndef LINPROB_LINEAR_COPULA_COVARIANCE_H_
#define LINPROB_LINEAR_COPULA_COVARIANCE_H_

#include <vector>

#include <arb.h>

#include "linear/exact_moments.h"

namespace linprob {

enum class CopulaCovariance { kNone, kNormal, kUniform, kLognormal };

// out: n x n balls, row-major (the caller's _arb_vec of n * n), the
// covariance of the n entries of `entries` under R (n x n doubles, each
// taken exactly), at `precision` bits. `law` must not be kNone.
void copulaCovariance(CopulaCovariance law, const std::vector<double>& r,
                      const std::vector<EntryMoments>& entries,
                      slong precision, arb_ptr out);

}  // namespace linprob

#endif  // LINPROB_LINEAR_COPULA_COVARIANCE_H_
