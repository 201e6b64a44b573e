// Verified enclosures of the solution set of [A] x = [b] (every solution
// of every A in [A] and b in [b]), after preconditioning with C, an
// approximate inverse of the midpoint matrix: E = C [A] and c = C [b] in
// outward-rounded arithmetic (linear/upward_rounding.h), so that every
// solution solves some system of E x = c.
//
// Regularity: every matrix of [A] is proved nonsingular when the
// comparison matrix M = <E> (|E_ii|'s smallest magnitude on the diagonal,
// minus the largest magnitudes elsewhere) is proved a nonsingular
// M-matrix by a positive vector v with M v > 0 (rounded down): E is then
// an H-matrix, each C A nonsingular, so each A. Without that proof the
// enclosures are not given: "[A] may contain a singular matrix: ...".
//
// The methods:
//   Hansen-Bliek-Rohn, in the form of Ning and Kearfott (1997) for an
//     H-matrix: with u = M^-1 |c|, d_i = (M^-1)_ii, alpha_i = M_ii - 1/d_i
//     and beta_i = u_i / d_i - |c_i|, x_i lies in (c_i + [-beta_i, beta_i])
//     / (E_ii + [-alpha_i, alpha_i]); M^-1 from its certified inverse
//     (linear/certified_inverse.h), each bound taken on the safe side;
//   Krawczyk: x <- (c + (I - E) x) intersected with x, from a box that
//     holds every solution (|x| <= u), until it no longer shrinks;
//   interval Gauss-Seidel on E x = c from the same box, a sweep over the
//     unknowns in order at a time, until it no longer shrinks.
// Each contains every solution, whatever rounding did; a method that
// cannot run says why. O(n^3) for E, the certified inverse of M and the
// regularity's solve; O(n^2) per iteration. The rows of E on up to
// `threads` threads (the same bits on any number).
#ifndef LINPROB_LINEAR_VERIFIED_ENCLOSURES_H_
#define LINPROB_LINEAR_VERIFIED_ENCLOSURES_H_

#include <stop_token>
#include <string>
#include <vector>

#include "linear/interval_matrix.h"

namespace linprob {

// The most iterations Krawczyk's and Gauss-Seidel's methods take.
inline constexpr int kMostEnclosureIterations = 100;

struct VerifiedEnclosures {
  bool regular = false;
  std::string regularityReason;  // why regularity is not proved
  std::string obstacle;          // the same without its head
  Enclosure hansenBliekRohn;
  Enclosure krawczyk;
  Enclosure gaussSeidel;
  bool stopped = false;
};

VerifiedEnclosures verifiedEnclosures(const IntervalMatrix& a,
                                      const std::vector<ValueBounds>& b,
                                      unsigned threads = 1,
                                      const std::stop_token& stop = {});

}  // namespace linprob

#endif  // LINPROB_LINEAR_VERIFIED_ENCLOSURES_H_
