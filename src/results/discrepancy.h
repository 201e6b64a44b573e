// How far an approximation (the normal tables) lies from VALID over the
// same K bands b_0 < ... < b_K. VALID has no tails; the approximation has
// lowerTail = P(X <= b_0) and upperTail = P(X > b_K).
//
//   totalVariation = (lowerTail + sum_k |valid_k - approx_k| + upperTail) / 2
//   maxCdf = max over k = 0..K of |F_valid(b_k) - F_approx(b_k)| with
//            F_valid(b_0) = 0, F_approx(b_0) = lowerTail and both cumulative
//            sums taken in band order.
// discrepancyBetween compares two tables that both have tails (the
// continuous truth against VALID or an approximation): the tails' absolute
// differences enter the sum as the bands' do, and F_a(b_0) = lowerTailA,
// F_b(b_0) = lowerTailB; with lowerTailA = upperTailA = 0 it is the above.
// VALID masses are used as they are, even when sampling leaves their sum a
// little below 1 (no renormalisation). Sums run in band order, one rounding
// per step, so the result is reproducible.
#ifndef LINPROB_RESULTS_DISCREPANCY_H_
#define LINPROB_RESULTS_DISCREPANCY_H_

#include <vector>

namespace linprob {

struct Discrepancy {
  double totalVariation = 0.0;
  double maxCdf = 0.0;
};

// Throws std::invalid_argument "discrepancy: 3 VALID bands but 4
// approximated" when the band counts differ.
Discrepancy discrepancy(const std::vector<double>& valid, double lowerTail,
                        const std::vector<double>& approxBands,
                        double upperTail);

// Throws std::invalid_argument "discrepancy: 3 bands but 4" when the band
// counts differ.
Discrepancy discrepancyBetween(double lowerTailA, const std::vector<double>& a,
                               double upperTailA, double lowerTailB,
                               const std::vector<double>& b,
                               double upperTailB);

}  // namespace linprob

#endif  // LINPROB_RESULTS_DISCREPANCY_H_
