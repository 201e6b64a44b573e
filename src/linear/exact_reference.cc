#include "linear/exact_reference.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "linear/dyadic_form.h"
#include "linear/rational_rounding.h"

namespace linprob {

using boost::multiprecision::cpp_int;

namespace {

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

// max over rows of the sum of |integers| in the row.
cpp_int largestRowSum(unsigned n, const std::vector<cpp_int>& rowMajor) {
  cpp_int largest = 0;
  cpp_int sum;
  for (unsigned r = 0; r < n; ++r) {
    sum = 0;
    for (unsigned c = 0; c < n; ++c) {
      sum += abs(rowMajor[static_cast<std::size_t>(r) * n + c]);
    }
    if (sum > largest) largest = sum;
  }
  return largest;
}

}  // namespace

ExactReference computeExactReference(const ExactInverse& inverse,
                                     const std::vector<double>& matrixRowMajor,
                                     const std::vector<double>& rhs,
                                     const std::vector<ValueBounds>& intervalRhs) {
  const unsigned n = inverse.size();
  checkRightHandSides(n, rhs, intervalRhs);
  const cpp_int& denominator = inverse.denominator();
  ExactReference result;

  // x = A^-1 b = (N B) 2^e / D with b = B 2^e.
  const DyadicVector b = dyadicVectorOf(rhs);
  result.trueSolution.resize(n);
  cpp_int sum;
  for (unsigned i = 0; i < n; ++i) {
    sum = 0;
    for (unsigned j = 0; j < n; ++j) sum += inverse.numerator(i, j) * b.integers[j];
    result.trueSolution[i] =
        roundQuotient(sum, denominator, b.exponent, RoundingDirection::kToNearest);
  }

  // Lower and upper ends L 2^e, H 2^e of the box: mid = (L + H) 2^(e-1),
  // rad = (H - L) 2^(e-1), both exact.
  std::vector<double> ends(2 * static_cast<std::size_t>(n));
  for (unsigned j = 0; j < n; ++j) {
    ends[j] = intervalRhs[j].lower;
    ends[n + j] = intervalRhs[j].upper;
  }
  const DyadicVector box = dyadicVectorOf(ends);
  result.hull.resize(n);
  cpp_int centre;
  cpp_int spread;
  cpp_int end;
  for (unsigned i = 0; i < n; ++i) {
    centre = 0;
    spread = 0;
    for (unsigned j = 0; j < n; ++j) {
      const cpp_int& entry = inverse.numerator(i, j);
      centre += entry * (box.integers[j] + box.integers[n + j]);
      spread += abs(entry) * (box.integers[n + j] - box.integers[j]);
    }
    end = centre - spread;
    result.hull[i].lower = roundQuotient(end, denominator, box.exponent - 1,
                                         RoundingDirection::kDownward);
    end = centre + spread;
    result.hull[i].upper = roundQuotient(end, denominator, box.exponent - 1,
                                         RoundingDirection::kUpward);
  }

  // ||A|| = rowA 2^e and ||A^-1|| = rowInverse / D.
  const DyadicVector a = dyadicVectorOf(matrixRowMajor);
  cpp_int rowInverse = 0;
  for (unsigned i = 0; i < n; ++i) {
    sum = 0;
    for (unsigned j = 0; j < n; ++j) sum += abs(inverse.numerator(i, j));
    if (sum > rowInverse) rowInverse = sum;
  }
  const cpp_int product = largestRowSum(n, a.integers) * rowInverse;
  result.conditionNumber = roundQuotient(product, denominator, a.exponent,
                                         RoundingDirection::kToNearest);
  return result;
}

std::optional<ExactReference> computeExactReference(
    unsigned n, const std::vector<double>& matrixRowMajor,
    const std::vector<double>& rhs, const std::vector<ValueBounds>& intervalRhs) {
  const std::optional<ExactInverse> inverse =
      ExactInverse::compute(n, matrixRowMajor);
  if (!inverse) {
    checkRightHandSides(n, rhs, intervalRhs);
    return std::nullopt;
  }
  return computeExactReference(*inverse, matrixRowMajor, rhs, intervalRhs);
}

}  // namespace linprob
