// The reference values of one system A x = b, for judging the rounded and
// interval results; each is the exact value rounded once:
//
//   trueSolution[i]  (A^-1 rhs)_i, rounded to nearest;
//   hull[i]          the range of (A^-1 b)_i over every b in the box
//                    intervalRhs: (A^-1 mid)_i -+ (|A^-1| rad)_i with mid and
//                    rad the centres and half-widths of the box, lower
//                    rounded down, upper rounded up;
//   conditionNumber  kappa = ||A||inf ||A^-1||inf (largest absolute row
//                    sums), rounded up: the upper end of conditionEnclosure,
//                    an enclosure of kappa with its ends rounded outward
//                    ([kappa rounded down, kappa rounded up] when decided).
// Unknowns are in input order. An element the computation could not decide
// is std::nullopt (never a wrong digit).
//
// The certified path (linear/certified_reference.h) fills these from an
// enclosure of A^-1; the exact path here computes them from exact rows of
// A^-1 (linear/exact_rows.h): the certified path's last resort, and the
// reference it is tested against.
#ifndef LINPROB_LINEAR_EXACT_REFERENCE_H_
#define LINPROB_LINEAR_EXACT_REFERENCE_H_

#include <optional>
#include <vector>

#include "linear/exact_rows.h"
#include "linear/value_bounds.h"

namespace linprob {

struct ExactReference {
  std::vector<std::optional<double>> trueSolution;
  std::vector<std::optional<ValueBounds>> hull;
  double conditionNumber = 0.0;
  ValueBounds conditionEnclosure;
};

// Refused input (std::invalid_argument):
//   "exact reference: the right-hand side holds 3 numbers, not 4"
//   "exact reference: the interval right-hand side holds 3 pairs, not 4"
//   "exact reference: right-hand side entry 2 is not finite"
//   "exact reference: interval 2 is not finite"
//   "exact reference: interval 2 has its lower bound above its upper bound"
void checkRightHandSides(unsigned n, const std::vector<double>& rhs,
                         const std::vector<ValueBounds>& intervalRhs);

// The true solution and the hull of the unknowns rows.rows()[k], written to
// reference.trueSolution[rows.rows()[k]] and reference.hull[...] (sized n).
void fillExactUnknowns(const ExactRows& rows, const std::vector<double>& rhs,
                       const std::vector<ValueBounds>& intervalRhs,
                       ExactReference& reference);

// [kappa rounded down, kappa rounded up] with ||A^-1||inf taken over the
// given rows only: exact when they hold every row that can be the largest.
ValueBounds exactConditionNumber(const ExactRows& rows,
                                 const std::vector<double>& matrixRowMajor);

// The exact path over every row; std::nullopt for a singular matrix.
// Refuses, besides the right-hand sides above:
//   "exact reference: the matrix holds 3 numbers, not 4"
//   "exact reference: matrix entry 5 is not finite"   (row-major index)
std::optional<ExactReference> computeExactReference(
    unsigned n, const std::vector<double>& matrixRowMajor,
    const std::vector<double>& rhs, const std::vector<ValueBounds>& intervalRhs);

}  // namespace linprob

#endif  // LINPROB_LINEAR_EXACT_REFERENCE_H_
