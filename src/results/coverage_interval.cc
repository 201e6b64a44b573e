#include "results/coverage_interval.h"

#include <cstdint>
#include <vector>

namespace linprob {

namespace {
using Wide = unsigned __int128;

CoverageInterval intervalAt(const FineHistogram& histogram,
                            const CoverageBorders& borders) {
  CoverageInterval result;
  result.resolution = histogram.resolution();
  result.symmetricLowerBorder = borders.symmetricLower;
  result.symmetricUpperBorder = borders.symmetricUpper;
  result.shortestLowerBorder = borders.shortestLower;
  result.shortestUpperBorder = borders.shortestUpper;
  result.symmetricLower = histogram.border(borders.symmetricLower);
  result.symmetricUpper = histogram.border(borders.symmetricUpper);
  result.shortestLower = histogram.border(borders.shortestLower);
  result.shortestUpper = histogram.border(borders.shortestUpper);
  return result;
}

}  // namespace

std::optional<CoverageInterval> coverageInterval(
    const FineHistogram& histogram) {
  const std::uint64_t total = histogram.total();
  if (total == 0) return std::nullopt;
  const std::vector<std::uint64_t>& counts = histogram.counts();
  const std::size_t s = counts.size();
  // cumulative[k] = C_k; no overflow, the total fits in 64 bits.
  std::vector<std::uint64_t> cumulative(s + 1, 0);
  for (std::size_t k = 0; k < s; ++k) cumulative[k + 1] = cumulative[k] + counts[k];

  const Wide whole = total;

  // C_k grows with k: the last k with 40 C_k <= total, the first with
  // 40 C_k >= 39 total (k = S always qualifies).
  std::size_t lower = 0;
  while (lower < s && Wide{40} * cumulative[lower + 1] <= whole) ++lower;
  std::size_t upper = 0;
  while (Wide{40} * cumulative[upper] < Wide{39} * whole) ++upper;

  // For each left border i the first j with 20 (C_j - C_i) >= 19 total; j
  // never moves back as i grows. Stop once no j <= S qualifies any more.
  std::size_t bestLeft = 0;
  std::size_t bestRight = s;
  std::size_t j = 0;
  for (std::size_t i = 0; i <= s; ++i) {
    if (j < i) j = i;
    while (j <= s &&
           Wide{20} * (cumulative[j] - cumulative[i]) < Wide{19} * whole) {
      ++j;
    }
    if (j > s) break;
    if (j - i < bestRight - bestLeft) {
      bestLeft = i;
      bestRight = j;
    }
  }
  return intervalAt(histogram,
                    CoverageBorders{lower, upper, bestLeft, bestRight});
}

CoverageInterval coverageIntervalAt(double min, double max,
                                    const CoverageBorders& borders) {
  return intervalAt(FineHistogram(min, max), borders);
}

}  // namespace linprob
