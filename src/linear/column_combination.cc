#include "linear/column_combination.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "linear/vector_clones.h"

namespace linprob {
namespace {

using FourDoubles = double __attribute__((vector_size(32)));
using FourWords = std::uint64_t __attribute__((vector_size(32)));

// Lane helpers of the kernels below, always inlined so that each clone runs
// them in its own instructions (vectors by reference: one passed by value
// across an ordinary call would change with the target).
//
// most = |values| lane by lane where that is larger; a NaN never is, as
// with the scalar comparison.
[[gnu::always_inline]] inline void keepLargest(const FourDoubles& values,
                                               FourDoubles& most) {
  const FourWords magnitudeBits = {~(std::uint64_t{1} << 63),
                                   ~(std::uint64_t{1} << 63),
                                   ~(std::uint64_t{1} << 63),
                                   ~(std::uint64_t{1} << 63)};
  FourWords bits;
  std::memcpy(&bits, &values, sizeof bits);
  bits &= magnitudeBits;
  FourDoubles magnitude;
  std::memcpy(&magnitude, &bits, sizeof magnitude);
  most = magnitude > most ? magnitude : most;
}

// The largest of `largest` and the four lanes of `most`.
[[gnu::always_inline]] inline double largestLane(const FourDoubles& most,
                                                 double largest) {
  for (int lane = 0; lane < 4; ++lane) {
    largest = most[lane] > largest ? most[lane] : largest;
  }
  return largest;
}

// The largest of `largest` and |value|, a NaN skipped.
[[gnu::always_inline]] inline double keepLargest(double value,
                                                 double largest) {
  const double magnitude = std::fabs(value);
  return magnitude > largest ? magnitude : largest;
}

}  // namespace

// Four rows at a time: the lanes' maxima skip a NaN as the scalar
// comparison does, so any grouping gives the same largest value.
LINPROB_VECTOR_CLONES
double combineColumn(double* column, const double* factors, std::size_t first,
                     std::size_t end, double from, double largest) {
  const FourDoubles source = {from, from, from, from};
  FourDoubles most = {largest, largest, largest, largest};
  std::size_t k = first;
  for (; k + 4 <= end; k += 4) {
    FourDoubles target;
    FourDoubles factor;
    std::memcpy(&target, column + k, sizeof target);
    std::memcpy(&factor, factors + k, sizeof factor);
    const FourDoubles product = source * factor;
    const FourDoubles sum = product + target;
    std::memcpy(column + k, &sum, sizeof sum);
    keepLargest(sum, most);
  }
  largest = largestLane(most, largest);
  for (; k < end; ++k) {
    const double product = from * factors[k];
    column[k] = product + column[k];
    largest = keepLargest(column[k], largest);
  }
  return largest;
}

// Four rows at a time, the group's pivots one after the other on each
// vector of them while it stays in a register; one running maximum per
// pivot, so that no chain of comparisons grows with the group.
LINPROB_VECTOR_CLONES
double combineColumnGroup(double* column,
                          const double* const (&factors)[kGroupPivots],
                          const double (&from)[kGroupPivots],
                          std::size_t first, std::size_t end, double largest) {
  const double* f[kGroupPivots];
  FourDoubles source[kGroupPivots];
  FourDoubles most[kGroupPivots];
  for (std::size_t j = 0; j < kGroupPivots; ++j) {
    f[j] = factors[j];
    source[j] = FourDoubles{from[j], from[j], from[j], from[j]};
    most[j] = FourDoubles{largest, largest, largest, largest};
  }
  std::size_t k = first;
  for (; k + 4 <= end; k += 4) {
    FourDoubles value;
    std::memcpy(&value, column + k, sizeof value);
    // Pivot by pivot, each product and sum rounded on its own.
#pragma GCC unroll 4
    for (std::size_t j = 0; j < kGroupPivots; ++j) {
      FourDoubles factor;
      std::memcpy(&factor, f[j] + k, sizeof factor);
      const FourDoubles product = source[j] * factor;
      value = product + value;
      keepLargest(value, most[j]);
    }
    std::memcpy(column + k, &value, sizeof value);
  }
  for (std::size_t j = 0; j < kGroupPivots; ++j) {
    largest = largestLane(most[j], largest);
  }
  for (; k < end; ++k) {
    double value = column[k];
    for (std::size_t j = 0; j < kGroupPivots; ++j) {
      const double product = from[j] * factors[j][k];
      value = product + value;
      largest = keepLargest(value, largest);
    }
    column[k] = value;
  }
  return largest;
}

// Four lanes at a time, which any grouping allows: the maximum does not
// depend on the order.
LINPROB_VECTOR_CLONES
double columnMaximum(const double* column, std::size_t first, std::size_t end,
                     double largest) {
  FourDoubles most = {largest, largest, largest, largest};
  std::size_t k = first;
  for (; k + 4 <= end; k += 4) {
    FourDoubles values;
    std::memcpy(&values, column + k, sizeof values);
    keepLargest(values, most);
  }
  largest = largestLane(most, largest);
  for (; k < end; ++k) largest = keepLargest(column[k], largest);
  return largest;
}

}  // namespace linprob
