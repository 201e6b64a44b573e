// Exact propagation of right-hand-side moments through A^-1: with the
// entries of b independent, the unknowns of x = A^-1 b have
//   mean_i     = sum_j (A^-1)ij mu_j
//   variance_i = sum_j (A^-1)ij^2 sigma_j^2
// each rounded to nearest once. The certified path
// (linear/certified_reference.h) encloses them from the certified inverse;
// propagateMoments here computes them exactly (entry moments as rationals,
// exact rows of A^-1), its last resort and the reference it is tested
// against.
//
// Entry moments are built exactly from the doubles that describe an entry:
//   bounded family on [p, q]: mean (p + q) / 2, variance (q - p)^2 / d with
//     d = 12 (uniform) or 24 (triangular);
//   normal: the mean and variance as given;
//   discretised cells v_m with weights w_m: mean = sum w v / sum w, variance
//     = sum w (v - mean)^2 / sum w (the cells' own distribution).
// Refused input throws std::invalid_argument with the messages listed at
// each function.
#ifndef LINPROB_LINEAR_EXACT_MOMENTS_H_
#define LINPROB_LINEAR_EXACT_MOMENTS_H_

#include <optional>
#include <vector>

#include <boost/multiprecision/cpp_int.hpp>

#include "linear/exact_rows.h"

namespace linprob {

struct EntryMoments {
  boost::multiprecision::cpp_rational mean;
  boost::multiprecision::cpp_rational variance;
};

// One entry's exact moments as a family gives them: none where they are not
// rational numbers (a law whose mean or variance is irrational), with the
// reason in words for the report, a text that lives as long as the program.
struct ExactEntryMoments {
  std::optional<EntryMoments> moments;
  const char* reason = nullptr;  // when `moments` is empty
};

// A distribution on [lower, upper] with mean (lower + upper) / 2 and
// variance (upper - lower)^2 / divisor (12 uniform, 24 triangular).
// "exact moments: bounds are not finite"
// "exact moments: lower bound above upper bound"
EntryMoments boundedEntryMoments(double lower, double upper, int divisor);

// "exact moments: normal mean or variance is not finite"
// "exact moments: normal variance is negative"
EntryMoments normalEntryMoments(double mean, double variance);

// "exact moments: 3 cell values but 4 weights"
// "exact moments: no cells"
// "exact moments: cell 2 is not finite"        (value or weight)
// "exact moments: cell weight 2 is negative"
// "exact moments: the cell weights sum to 0"
EntryMoments discretisedEntryMoments(const std::vector<double>& values,
                                     const std::vector<double>& weights);

struct UnknownMoments {
  double mean = 0.0;
  double variance = 0.0;
};

// "exact moments: 3 entries, not 4"
// "exact moments: entry 2 has a negative variance"
void checkEntryMoments(unsigned n, const std::vector<EntryMoments>& entries);

// The moments of the unknowns rows.rows()[k], in that order (checked as
// above).
std::vector<UnknownMoments> propagateMoments(
    const ExactRows& rows, const std::vector<EntryMoments>& entries);

}  // namespace linprob

#endif  // LINPROB_LINEAR_EXACT_MOMENTS_H_
