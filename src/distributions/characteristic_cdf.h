// The distribution function of a uniform or triangular SumLaw by inversion
// of its characteristic function (Gil-Pelaez), for laws of too many parts
// for the alternating sum. With y = x - center and the parts symmetric,
//
//   F(x) = 1/2 + (1/pi) * integral over t > 0 of sin(t y) psi(t) / t dt,
//   psi(t) = prod_j sinc(h_j t)          (uniform parts),
//            prod_j sinc(h_j t / 2)^2    (triangular parts).
//
// Error, bounded and added to each ball's radius:
//   truncation at T: |sinc u| <= 1/|u| gives, for any set L of parts,
//     |psi(t)| <= prod_{j in L} (beta_j / t)^{r_j}, beta_j = 1/h_j (r_j = 1)
//     or 2/h_j (r_j = 2), so the tail beyond T is at most
//     B / (R T^R) / pi with B = prod beta_j^{r_j}, R = sum r_j; T and L are
//     chosen for the smallest T that keeps it below tolerance / 4;
//   quadrature on [0, T]: equal panels, each with a 32-point Gauss-Legendre
//     rule in Arb (nodes and weights certified), psi evaluated once per
//     node for every point; each panel's error bounded from |integrand|
//     on a complex box around its Bernstein ellipse (rho = 4), evaluated
//     in Arb; panels halved until every point's bound is within budget.
// Points at or beyond the support's ends are exactly 0 or 1.
//
// Returns false when the tolerance was not reached: the balls are still
// enclosures, only wide, or indeterminate where the panels needed would be
// too many (T large against the law's width: a few dominant parts).
#ifndef LINPROB_DISTRIBUTIONS_CHARACTERISTIC_CDF_H_
#define LINPROB_DISTRIBUTIONS_CHARACTERISTIC_CDF_H_

#include <cstddef>

#include "distributions/sum_law.h"

namespace linprob {

// std::invalid_argument "characteristic cdf: normal law" for a normal law.
bool characteristicCdf(const SumLaw& law, arb_srcptr points, std::size_t count,
                       double tolerance, slong precision, arb_ptr out);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_CHARACTERISTIC_CDF_H_
