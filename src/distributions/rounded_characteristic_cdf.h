// The distribution function of a uniform or triangular SumLaw by inversion
// of its characteristic function, as characteristic_cdf.h does it, but in
// double arithmetic with a bound on every rounding carried beside each
// value: for laws of many parts, where ball arithmetic would cost a few
// hundred nanoseconds per part and node. Used where the alternating sum has
// too many pieces; the ball version stays for what this one cannot reach.
//
// The parts become uniform parts of half-width g_j (a triangular part of
// half-width h is two uniform parts of half-width h/2), scaled by a power of
// two so that the largest lies in [1, 2) (exactly, no rounding). With
// y = x - center in the same scale,
//   F(x) = 1/2 + (1/pi) * integral over 0 < s < T of sin(s y) psi(s) / s ds
//          + tail,            psi(s) = prod_j sinc(g_j s).
// psi at a node s: the parts with g_j s > 1.5 as the product of their sincs;
// the others through log sinc(x) = -sum_m zeta(2m) / (m pi^2m) x^2m, 24
// terms of it, from the sums of their g_j^2m (kept once per law), so a node
// costs a few dozen operations however many parts are small there.
//
// Error, bounded per point and added to each ball's radius:
//   tail: |sinc x| <= G(x) = exp(-x^2/6) (x <= 2), 1/x (x > 2), and G
//     decreases, so beyond T the integral is at most
//     prod_{j > 0} G(g_j T) / (g_0 T), g_0 the largest part; T is about the
//     least that keeps this below an eighth of tolerance * pi;
//   quadrature: equal panels of 32-point Gauss-Legendre, each at most
//     32 / (sum g + |y|) wide, so that on the Bernstein ellipse rho = 4
//     around it |integrand| <= |y| exp(1.875 * 16) and the rule errs by at
//     most (b - a)/2 * 64/15 * M * rho^-62 / (rho^2 - 1) per panel;
//   rounding: a running bound through every operation: the nodes and
//     weights (rounded from Arb), the sincs and the series (its truncation
//     bounded by its next term over 1 - q, q = (1.5/pi)^2), the node's own
//     rounding (through |psi'| <= sum g * prod_{j > 0} G(g_j s)), the sines
//     and the sums; the C library's sin and exp are taken to be within 2
//     units in the last place (glibc states 1);
//   the law: its parts and center rounded to doubles move x by at most the
//     sum of their roundings and radii, so F by at most that times the
//     largest density (1/(2 h_max) uniform, 1/h_max triangular).
// Points at or beyond the support's ends are exactly 0 or 1
// (cdfOutsideParts).
//
// Returns false when the tolerance was not reached; the balls are then
// still enclosures, only wide, or indeterminate when the panels needed are
// too many (T large against the law's width: a few dominant parts) or the
// law does not fit doubles.
#ifndef LINPROB_DISTRIBUTIONS_ROUNDED_CHARACTERISTIC_CDF_H_
#define LINPROB_DISTRIBUTIONS_ROUNDED_CHARACTERISTIC_CDF_H_

#include <cstddef>

#include "distributions/sum_law.h"

namespace linprob {

// std::invalid_argument "rounded characteristic cdf: normal law" for a
// normal law. `precision` is only for the support test of each point.
bool roundedCharacteristicCdf(const SumLaw& law, arb_srcptr points,
                              std::size_t count, double tolerance,
                              slong precision, arb_ptr out);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_ROUNDED_CHARACTERISTIC_CDF_H_
