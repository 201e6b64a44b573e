#include "results/coverage_interval.h"

#include <cstdint>
#include <utility>
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

// The borders of the symmetric interval of a histogram with mass, from its
// cumulative counts C_0 ... C_S: C_k grows with k, so lower is the last k
// with 40 C_k <= total and upper the first with 40 C_k >= 39 total (k = S
// always qualifies).
std::pair<std::size_t, std::size_t> symmetricBorders(
    const std::vector<std::uint64_t>& cumulative) {
  const std::size_t s = cumulative.size() - 1;
  const Wide whole = cumulative[s];
  std::size_t lower = 0;
  while (lower < s && Wide{40} * cumulative[lower + 1] <= whole) ++lower;
  std::size_t upper = 0;
  while (Wide{40} * cumulative[upper] < Wide{39} * whole) ++upper;
  return {lower, upper};
}

// cumulative[k] = C_k; no overflow, the total fits in 64 bits.
std::vector<std::uint64_t> cumulativeCounts(const FineHistogram& histogram) {
  const std::vector<std::uint64_t>& counts = histogram.counts();
  std::vector<std::uint64_t> cumulative(counts.size() + 1, 0);
  for (std::size_t k = 0; k < counts.size(); ++k) {
    cumulative[k + 1] = cumulative[k] + counts[k];
  }
  return cumulative;
}

}  // namespace

std::optional<SymmetricEnds> symmetricEnds(const FineHistogram& histogram) {
  if (histogram.total() == 0) return std::nullopt;
  const auto [lower, upper] = symmetricBorders(cumulativeCounts(histogram));
  return SymmetricEnds{histogram.border(lower), histogram.border(upper)};
}

std::optional<CoverageInterval> coverageInterval(
    const FineHistogram& histogram) {
  const std::uint64_t total = histogram.total();
  if (total == 0) return std::nullopt;
  const std::size_t s = histogram.counts().size();
  const std::vector<std::uint64_t> cumulative = cumulativeCounts(histogram);
  const Wide whole = total;
  const auto [lower, upper] = symmetricBorders(cumulative);

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
