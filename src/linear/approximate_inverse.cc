#include "linear/approximate_inverse.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace linprob {
namespace {

// row[j] -= factor * pivotRow[j] for j in [0, n): the loop the elimination
// spends its time in, left to the vectoriser.
void subtractMultiple(double* row, const double* pivotRow, double factor,
                      std::size_t n) {
  for (std::size_t j = 0; j < n; ++j) row[j] -= factor * pivotRow[j];
}

// Rows of `left` and of `right` handled per block of the product: 64 rows of
// the product reuse each block of 128 rows of `right` (2 MB at n = 2000).
constexpr std::size_t kProductRows = 64;
constexpr std::size_t kInnerRows = 128;

}  // namespace

ApproximateOutcome approximateInverse(unsigned n,
                                      const std::vector<double>& matrix,
                                      std::vector<double>& inverse,
                                      const std::stop_token& stop) {
  const std::size_t size = n;
  inverse = matrix;
  double* m = inverse.data();
  std::vector<std::size_t> swapped(size);
  // In place: after step k, column k holds column k of the inverse of the
  // rows swapped so far; the swaps are undone on the columns at the end.
  for (std::size_t k = 0; k < size; ++k) {
    if (stop.stop_requested()) return ApproximateOutcome::kStopped;
    std::size_t pivot = k;
    for (std::size_t i = k + 1; i < size; ++i) {
      if (std::fabs(m[i * size + k]) > std::fabs(m[pivot * size + k])) pivot = i;
    }
    const double value = m[pivot * size + k];
    if (!(std::fabs(value) > 0.0) || !std::isfinite(value)) {
      return ApproximateOutcome::kSingular;
    }
    swapped[k] = pivot;
    if (pivot != k) {
      std::swap_ranges(m + k * size, m + (k + 1) * size, m + pivot * size);
    }
    double* pivotRow = m + k * size;
    const double reciprocal = 1.0 / value;
    pivotRow[k] = 1.0;
    for (std::size_t j = 0; j < size; ++j) pivotRow[j] *= reciprocal;
    for (std::size_t i = 0; i < size; ++i) {
      if (i == k) continue;
      double* row = m + i * size;
      const double factor = row[k];
      if (factor == 0.0) continue;
      row[k] = 0.0;
      subtractMultiple(row, pivotRow, factor, size);
    }
  }
  for (std::size_t k = size; k-- > 0;) {
    if (swapped[k] == k) continue;
    for (std::size_t i = 0; i < size; ++i) {
      std::swap(m[i * size + k], m[i * size + swapped[k]]);
    }
  }
  for (const double x : inverse) {
    if (!std::isfinite(x)) return ApproximateOutcome::kSingular;
  }
  return ApproximateOutcome::kDone;
}

ApproximateOutcome multiplyMatrices(unsigned n, const std::vector<double>& left,
                                    const std::vector<double>& right,
                                    std::vector<double>& product,
                                    const std::stop_token& stop) {
  const std::size_t size = n;
  product.assign(size * size, 0.0);
  for (std::size_t first = 0; first < size; first += kProductRows) {
    const std::size_t last = std::min(size, first + kProductRows);
    for (std::size_t inner = 0; inner < size; inner += kInnerRows) {
      if (stop.stop_requested()) return ApproximateOutcome::kStopped;
      const std::size_t innerLast = std::min(size, inner + kInnerRows);
      for (std::size_t i = first; i < last; ++i) {
        double* row = product.data() + i * size;
        for (std::size_t k = inner; k < innerLast; ++k) {
          const double factor = left[i * size + k];
          if (factor == 0.0) continue;
          // row += factor * right[k]: subtracting the negated factor.
          subtractMultiple(row, right.data() + k * size, -factor, size);
        }
      }
    }
  }
  return ApproximateOutcome::kDone;
}

}  // namespace linprob
