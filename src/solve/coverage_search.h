// The 95 % coverage intervals of a distribution over S sub-bands, found
// from few evaluations of its cumulative mass instead of a pass over every
// sub-band.
//
// C_k, the mass below sub-band border k, is given as fixed-point integers
// (fixedPointMass) by a function that may cost as much as a pass over the
// distribution's jobs; C_0 = 0 and C_S = total are known and never asked
// for, and C must not decrease with k. The borders found are exactly those
// the pass over every sub-band of results/coverage_interval.h finds from the
// same C:
//   symmetric: lower the largest k with 40 C_k <= total, upper the smallest
//              k with 40 C_k >= 39 total;
//   shortest:  [i, J(i)] with J(i) - i as small as possible (the leftmost i
//              on ties), J(i) the smallest j with 20 (C_j - C_i) >= 19 total.
// Each threshold is the first k whose C_k reaches a target: a search that
// interpolates in C (bisecting when that does not halve the bracket),
// starting from the narrowest bracket the masses already known give. J never
// decreases, so after J(i) every left border up to J(i) - best has a width
// of at least the best found: a sweep over the left borders (those with
// J(i) <= S) looks at the others only, after a first best from the
// symmetric interval's lower border. Every C_k is asked for at most once;
// a smooth distribution over the 16,384 sub-bands needs about 310 (350
// with brackets from the nearest left borders' J only).
#ifndef LINPROB_SOLVE_COVERAGE_SEARCH_H_
#define LINPROB_SOLVE_COVERAGE_SEARCH_H_

#include <cstddef>
#include <cstdint>
#include <functional>

namespace linprob {

// Sub-band border indices, 0 ... S.
struct CoverageBorders {
  std::size_t symmetricLower = 0;
  std::size_t symmetricUpper = 0;
  std::size_t shortestLower = 0;
  std::size_t shortestUpper = 0;

  bool operator==(const CoverageBorders&) const = default;
};

using CumulativeMass = std::function<std::uint64_t(std::size_t k)>;

// total > 0, subBands >= 1; cumulative(k) for 0 < k < subBands.
CoverageBorders searchCoverage(std::size_t subBands, std::uint64_t total,
                               const CumulativeMass& cumulative);

}  // namespace linprob

#endif  // LINPROB_SOLVE_COVERAGE_SEARCH_H_
