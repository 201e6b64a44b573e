// The exact reference values of one system A x = b, for judging the rounded
// and interval results: each is computed exactly from the input doubles
// (through ExactInverse) and rounded once at the end.
//
//   trueSolution[i]  (A^-1 rhs)_i, rounded to nearest;
//   hull[i]          the range of (A^-1 b)_i over every b in the box
//                    intervalRhs: (A^-1 mid)_i -+ (|A^-1| rad)_i with mid and
//                    rad the centres and half-widths of the box, lower
//                    rounded down, upper rounded up;
//   conditionNumber  ||A||inf ||A^-1||inf (largest absolute row sums),
//                    rounded to nearest.
// Unknowns are in input order. A singular matrix has no reference
// (std::nullopt). The caller compares n with kMaxExactSize first.
#ifndef LINPROB_LINEAR_EXACT_REFERENCE_H_
#define LINPROB_LINEAR_EXACT_REFERENCE_H_

#include <optional>
#include <vector>

#include "linear/exact_inverse.h"

namespace linprob {

struct ValueBounds {
  double lower = 0.0;
  double upper = 0.0;
};

struct ExactReference {
  std::vector<double> trueSolution;
  std::vector<ValueBounds> hull;
  double conditionNumber = 0.0;
};

// Refused input (std::invalid_argument), besides ExactInverse::compute's:
//   "exact reference: the right-hand side holds 3 numbers, not 4"
//   "exact reference: the interval right-hand side holds 3 pairs, not 4"
//   "exact reference: right-hand side entry 2 is not finite"
//   "exact reference: interval 2 is not finite"
//   "exact reference: interval 2 has its lower bound above its upper bound"
std::optional<ExactReference> computeExactReference(
    unsigned n, const std::vector<double>& matrixRowMajor,
    const std::vector<double>& rhs, const std::vector<ValueBounds>& intervalRhs);

// The same from an inverse already computed for this matrix.
ExactReference computeExactReference(const ExactInverse& inverse,
                                     const std::vector<double>& matrixRowMajor,
                                     const std::vector<double>& rhs,
                                     const std::vector<ValueBounds>& intervalRhs);

}  // namespace linprob

#endif  // LINPROB_LINEAR_EXACT_REFERENCE_H_
