#include "results/coverage_interval.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace linprob {

namespace {
using Wide = unsigned __int128;

CoverageInterval intervalAt(const SubBandGrid& grid,
                            const CoverageBorders& borders) {
  CoverageInterval result;
  result.resolution = grid.resolution();
  result.symmetricLowerBorder = borders.symmetricLower;
  result.symmetricUpperBorder = borders.symmetricUpper;
  result.shortestLowerBorder = borders.shortestLower;
  result.shortestUpperBorder = borders.shortestUpper;
  result.symmetricLower = grid.border(borders.symmetricLower);
  result.symmetricUpper = grid.border(borders.symmetricUpper);
  result.shortestLower = grid.border(borders.shortestLower);
  result.shortestUpper = grid.border(borders.shortestUpper);
  return result;
}

// ceil(numerator * total / denominator), exactly.
std::uint64_t ceilShare(std::uint64_t total, unsigned numerator,
                        unsigned denominator) {
  const Wide product = Wide{numerator} * total;
  return static_cast<std::uint64_t>((product + denominator - 1) / denominator);
}

// The total of the counts; no overflow, the total fits in 64 bits.
std::uint64_t totalOf(std::span<const std::uint64_t> counts) {
  std::uint64_t total = 0;
  for (const std::uint64_t count : counts) total += count;
  return total;
}

// The last k with C_k <= most (C_0 = 0 always is): a scan from the left
// end, which stops at that border.
std::size_t lastAtMost(std::span<const std::uint64_t> counts,
                       std::uint64_t most) {
  std::size_t k = 0;
  std::uint64_t below = 0;  // C_k
  while (k < counts.size() && below + counts[k] <= most) {
    below += counts[k];
    ++k;
  }
  return k;
}

// The first k with C_k >= least, least <= total (C_S = total always is):
// C_k = total - R_k with R_k the mass from sub-band k on, so a scan from
// the right end for the first R_k <= total - least.
std::size_t firstAtLeast(std::span<const std::uint64_t> counts,
                         std::uint64_t total, std::uint64_t least) {
  const std::uint64_t rest = total - least;
  std::size_t k = counts.size();
  std::uint64_t above = 0;  // R_k
  while (k > 0 && above + counts[k - 1] <= rest) {
    above += counts[k - 1];
    --k;
  }
  return k;
}

// The borders of the symmetric interval of a histogram with mass `total`:
// C_k grows with k, so lower is the last k with 40 C_k <= total and upper
// the first with 40 C_k >= 39 total (k = S always qualifies). In integers,
// 40 C <= total is C <= floor(total / 40) and 40 C >= 39 total is
// C >= ceil(39 total / 40); each is found by a scan from its own end of the
// histogram, which reads the tails only.
std::pair<std::size_t, std::size_t> symmetricBorders(
    std::span<const std::uint64_t> counts, std::uint64_t total) {
  return {lastAtMost(counts, total / 40),
          firstAtLeast(counts, total, ceilShare(total, 39, 40))};
}

}  // namespace

std::optional<SymmetricEnds> symmetricEnds(
    const SubBandGrid& grid, std::span<const std::uint64_t> counts) {
  const std::uint64_t total = totalOf(counts);
  if (total == 0) return std::nullopt;
  const auto [lower, upper] = symmetricBorders(counts, total);
  return SymmetricEnds{grid.border(lower), grid.border(upper)};
}

std::optional<SymmetricEnds> symmetricEnds(const FineHistogram& histogram) {
  return symmetricEnds(histogram.grid(), histogram.counts());
}

std::optional<CoverageInterval> coverageInterval(
    const SubBandGrid& grid, std::span<const std::uint64_t> counts) {
  const std::uint64_t total = totalOf(counts);
  if (total == 0) return std::nullopt;
  const std::size_t s = counts.size();
  const auto [lower, upper] = symmetricBorders(counts, total);

  // For each left border i the first j with 20 (C_j - C_i) >= 19 total,
  // that is C_j - C_i >= ceil(19 total / 20); j never moves back as i grows.
  // Stop once no j <= S qualifies any more. C_i and C_j are running sums
  // of the two pointers; the first j, that of i = 0, comes from the right
  // end, so that the middle of the histogram is never read.
  // A left border whose sub-band is empty (C_{i+1} = C_i) never wins:
  // i + 1 has the same right border and is narrower, so those are passed
  // over.
  const std::uint64_t span = ceilShare(total, 19, 20);
  std::size_t j = firstAtLeast(counts, total, span);
  std::uint64_t reached = 0;  // C_j
  for (std::size_t k = j; k < s; ++k) reached += counts[k];
  reached = total - reached;
  std::size_t bestLeft = 0;
  std::size_t bestRight = j;
  std::uint64_t below = 0;  // C_i
  for (std::size_t i = 1; i <= s; ++i) {
    below += counts[i - 1];
    if (i < s && counts[i] == 0) continue;
    if (j < i) {
      j = i;
      reached = below;
    }
    const std::uint64_t target = below + span;
    while (j < s && reached < target) {
      reached += counts[j];
      ++j;
    }
    if (reached < target) break;
    if (j - i < bestRight - bestLeft) {
      bestLeft = i;
      bestRight = j;
    }
  }
  return intervalAt(grid, CoverageBorders{lower, upper, bestLeft, bestRight});
}

std::optional<CoverageInterval> coverageInterval(
    const FineHistogram& histogram) {
  return coverageInterval(histogram.grid(), histogram.counts());
}

CoverageInterval coverageIntervalAt(double min, double max,
                                    const CoverageBorders& borders) {
  return intervalAt(SubBandGrid(min, max, kFineSubBands), borders);
}

}  // namespace linprob
