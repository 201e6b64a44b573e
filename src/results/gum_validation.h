// Validation of a normal approximation (mean y, standard deviation u)
// against the symmetric 95 % coverage interval [yLow, yHigh] of the solved
// values:
//   U      = 1.959964 u (the normal's 95 % half-width)
//   dLow   = |y - U - yLow|,  dHigh = |y + U - yHigh|
//   delta  = 10^l / 2 with l = floor(log10 u) - 1 (u to two significant
//            digits); floor(log10 u) is decided exactly, delta is the double
//            nearest to 5 * 10^(l-1);
//   validated = max(dLow, dHigh) <= delta.
// No verdict (validated empty) when u is 0, negative or not finite, when y
// or the interval is not finite, or when the coverage resolution exceeds
// delta / 5 (the histogram too coarse to decide). delta is NaN when u is not
// positive and finite.
#ifndef LINPROB_RESULTS_GUM_VALIDATION_H_
#define LINPROB_RESULTS_GUM_VALIDATION_H_

#include <optional>

namespace linprob {

inline constexpr double kNormalCoverageFactor = 1.959964;

struct GumValidation {
  double delta = 0.0;
  double dLow = 0.0;
  double dHigh = 0.0;
  std::optional<bool> validated;
};

GumValidation validateAgainstCoverage(double mean, double sd,
                                      double symmetricLower,
                                      double symmetricUpper,
                                      double resolution);

// floor(log10 u) for finite u > 0, exact.
int decimalExponent(double u);

}  // namespace linprob

#endif  // LINPROB_RESULTS_GUM_VALIDATION_H_
