// 95 % coverage intervals read off a fine histogram, at sub-band borders
// b_k (FineHistogram::border: b_0 = min, b_S = max, and b_k the least value
// the histogram counts in sub-band k or above). C_k, the sum of the first k
// sub-band counts (C_0 = 0, C_S = total), is the mass below b_k, so the
// closed interval [b_i, b_j] holds at least C_j - C_i: every interval
// printed holds at least the fraction it claims, also when mass sits exactly
// on a border.
//
//   symmetric: [b_lo, b_hi], lo the largest k with C_k <= 2.5 % of the
//              total, hi the smallest k with C_k >= 97.5 % of it;
//   shortest:  [b_i, b_j] with C_j - C_i >= 95 % of the total and j - i as
//              small as possible (the leftmost such i on ties), found with
//              two pointers in O(S);
//   resolution: (max - min) / S.
// The masses are integers and every threshold is compared exactly in 128
// bits (40 C <= total, 40 C >= 39 total, 20 (C_j - C_i) >= 19 total).
// A histogram with no mass has no interval (std::nullopt).
#ifndef LINPROB_RESULTS_COVERAGE_INTERVAL_H_
#define LINPROB_RESULTS_COVERAGE_INTERVAL_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "solve/coverage_search.h"
#include "solve/fine_histogram.h"

namespace linprob {

struct CoverageInterval {
  double symmetricLower = 0.0;
  double symmetricUpper = 0.0;
  double shortestLower = 0.0;
  double shortestUpper = 0.0;
  double resolution = 0.0;
  // The border indices behind the bounds.
  std::size_t symmetricLowerBorder = 0;
  std::size_t symmetricUpperBorder = 0;
  std::size_t shortestLowerBorder = 0;
  std::size_t shortestUpperBorder = 0;
};

std::optional<CoverageInterval> coverageInterval(
    const FineHistogram& histogram);
// The same of counts kept elsewhere, grid.subBands() of them, over `grid`.
std::optional<CoverageInterval> coverageInterval(
    const SubBandGrid& grid, std::span<const std::uint64_t> counts);

// The symmetric interval's ends alone, as coverageInterval gives them, at
// less cost (no search for the shortest).
struct SymmetricEnds {
  double lower = 0.0;
  double upper = 0.0;
};
std::optional<SymmetricEnds> symmetricEnds(const FineHistogram& histogram);
std::optional<SymmetricEnds> symmetricEnds(
    const SubBandGrid& grid, std::span<const std::uint64_t> counts);
// The same with the counts' total known (their sum, exactly).
std::optional<SymmetricEnds> symmetricEnds(
    const SubBandGrid& grid, std::span<const std::uint64_t> counts,
    std::uint64_t total);

// The interval at borders found elsewhere (a phase counted by halves) for
// the fine sub-bands over [min, max] (min, max and max - min finite).
CoverageInterval coverageIntervalAt(double min, double max,
                                    const CoverageBorders& borders);

}  // namespace linprob

#endif  // LINPROB_RESULTS_COVERAGE_INTERVAL_H_
