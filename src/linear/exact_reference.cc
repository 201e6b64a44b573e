#include "linear/exact_reference.h"

#include <cmath>
#include <numeric>
#include <stdexcept>
#include <string>

#include "linear/dyadic_form.h"
#include "linear/matrix_check.h"
#include "linear/rational_rounding.h"

namespace linprob {

using boost::multiprecision::cpp_int;

void checkRightHandSides(unsigned n, const std::vector<double>& rhs,
                         const std::vector<ValueBounds>& intervalRhs) {
  if (rhs.size() != n) {
    throw std::invalid_argument(
        "exact reference: the right-hand side holds " +
        std::to_string(rhs.size()) + " numbers, not " + std::to_string(n));
  }
  if (intervalRhs.size() != n) {
    throw std::invalid_argument(
        "exact reference: the interval right-hand side holds " +
        std::to_string(intervalRhs.size()) + " pairs, not " +
        std::to_string(n));
  }
  for (unsigned j = 0; j < n; ++j) {
    const std::string index = std::to_string(j);
    if (!std::isfinite(rhs[j])) {
      throw std::invalid_argument("exact reference: right-hand side entry " +
                                  index + " is not finite");
    }
    if (!std::isfinite(intervalRhs[j].lower) ||
        !std::isfinite(intervalRhs[j].upper)) {
      throw std::invalid_argument("exact reference: interval " + index +
                                  " is not finite");
    }
    if (intervalRhs[j].lower > intervalRhs[j].upper) {
      throw std::invalid_argument(
          "exact reference: interval " + index +
          " has its lower bound above its upper bound");
    }
  }
}

void fillExactUnknowns(const ExactRows& rows, const std::vector<double>& rhs,
                       const std::vector<ValueBounds>& intervalRhs,
                       ExactReference& reference) {
  const unsigned n = rows.size();
  const cpp_int& denominator = rows.denominator();
  // x = A^-1 b = (N B) 2^e / D with b = B 2^e.
  const DyadicVector b = dyadicVectorOf(rhs);
  // Lower and upper ends L 2^e, H 2^e of the box: mid = (L + H) 2^(e-1),
  // rad = (H - L) 2^(e-1), both exact.
  std::vector<double> ends(2 * static_cast<std::size_t>(n));
  for (unsigned j = 0; j < n; ++j) {
    ends[j] = intervalRhs[j].lower;
    ends[n + j] = intervalRhs[j].upper;
  }
  const DyadicVector box = dyadicVectorOf(ends);
  cpp_int sum;
  cpp_int centre;
  cpp_int spread;
  cpp_int end;
  for (std::size_t k = 0; k < rows.rows().size(); ++k) {
    const unsigned i = rows.rows()[k];
    sum = 0;
    centre = 0;
    spread = 0;
    for (unsigned j = 0; j < n; ++j) {
      const cpp_int& entry = rows.numerator(k, j);
      sum += entry * b.integers[j];
      centre += entry * (box.integers[j] + box.integers[n + j]);
      spread += abs(entry) * (box.integers[n + j] - box.integers[j]);
    }
    reference.trueSolution[i] =
        roundQuotient(sum, denominator, b.exponent, RoundingDirection::kToNearest);
    end = centre - spread;
    ValueBounds hull;
    hull.lower = roundQuotient(end, denominator, box.exponent - 1,
                               RoundingDirection::kDownward);
    end = centre + spread;
    hull.upper = roundQuotient(end, denominator, box.exponent - 1,
                               RoundingDirection::kUpward);
    reference.hull[i] = hull;
  }
}

ValueBounds exactConditionNumber(const ExactRows& rows,
                                 const std::vector<double>& matrixRowMajor) {
  const unsigned n = rows.size();
  // ||A|| = rowA 2^e and ||A^-1|| = rowInverse / D.
  const DyadicVector a = dyadicVectorOf(matrixRowMajor);
  cpp_int rowA = 0;
  cpp_int sum;
  for (unsigned r = 0; r < n; ++r) {
    sum = 0;
    for (unsigned c = 0; c < n; ++c) {
      sum += abs(a.integers[static_cast<std::size_t>(r) * n + c]);
    }
    if (sum > rowA) rowA = sum;
  }
  cpp_int rowInverse = 0;
  for (std::size_t k = 0; k < rows.rows().size(); ++k) {
    sum = 0;
    for (unsigned j = 0; j < n; ++j) sum += abs(rows.numerator(k, j));
    if (sum > rowInverse) rowInverse = sum;
  }
  const cpp_int product = rowA * rowInverse;
  return ValueBounds{roundQuotient(product, rows.denominator(), a.exponent,
                                   RoundingDirection::kDownward),
                     roundQuotient(product, rows.denominator(), a.exponent,
                                   RoundingDirection::kUpward)};
}

std::optional<ExactReference> computeExactReference(
    unsigned n, const std::vector<double>& matrixRowMajor,
    const std::vector<double>& rhs, const std::vector<ValueBounds>& intervalRhs) {
  checkSquareMatrix(n, matrixRowMajor, "exact reference");
  checkRightHandSides(n, rhs, intervalRhs);
  std::vector<unsigned> every(n);
  std::iota(every.begin(), every.end(), 0u);
  const std::optional<ExactRows> rows = ExactRows::compute(n, matrixRowMajor, every);
  if (!rows) return std::nullopt;
  ExactReference reference;
  reference.trueSolution.resize(n);
  reference.hull.resize(n);
  fillExactUnknowns(*rows, rhs, intervalRhs, reference);
  reference.conditionEnclosure = exactConditionNumber(*rows, matrixRowMajor);
  reference.conditionNumber = reference.conditionEnclosure.upper;
  return reference;
}

}  // namespace linprob
