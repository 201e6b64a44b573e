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
std::uint64_t ceilFraction(std::uint64_t total, unsigned numerator,
                        unsigned denominator) {
  const Wide product = Wide{numerator} * total;
  return static_cast<std::uint64_t>((product + denominator - 1) / denominator);
}

// The four counts from k on.
std::uint64_t fourFrom(std::span<const std::uint64_t> counts, std::size_t k) {
  return (counts[k] + counts[k + 1]) + (counts[k + 2] + counts[k + 3]);
}

// A border k and C_k, the mass below it.
struct Border {
  std::size_t k = 0;
  std::uint64_t below = 0;
};

// The last k with C_k <= most (C_0 = 0 always is): a scan from the left
// end, which stops at that border.
Border lastAtMost(std::span<const std::uint64_t> counts, std::uint64_t most) {
  Border at;
  // Four sub-bands at a time while all four stay within, then one by one.
  while (at.k + 4 <= counts.size() &&
         at.below + fourFrom(counts, at.k) <= most) {
    at.below += fourFrom(counts, at.k);
    at.k += 4;
  }
  while (at.k < counts.size() && at.below + counts[at.k] <= most) {
    at.below += counts[at.k];
    ++at.k;
  }
  return at;
}

// The first k with C_k >= least, least <= total (C_S = total always is):
// C_k = total - R_k with R_k the mass from sub-band k on, so a scan from
// the right end for the first R_k <= total - least.
Border firstAtLeast(std::span<const std::uint64_t> counts,
                    std::uint64_t total, std::uint64_t least) {
  const std::uint64_t rest = total - least;
  std::size_t k = counts.size();
  std::uint64_t above = 0;  // R_k
  while (k >= 4 && above + fourFrom(counts, k - 4) <= rest) {
    above += fourFrom(counts, k - 4);
    k -= 4;
  }
  while (k > 0 && above + counts[k - 1] <= rest) {
    above += counts[k - 1];
    --k;
  }
  return Border{k, total - above};
}

// The borders of the symmetric interval of a histogram with mass `total`:
// C_k grows with k, so lower is the last k with 40 C_k <= total and upper
// the first with 40 C_k >= 39 total (k = S always qualifies). In integers,
// 40 C <= total is C <= floor(total / 40) and 40 C >= 39 total is
// C >= ceil(39 total / 40); each is found by a scan from its own end of the
// histogram, which reads the tails only.
std::pair<Border, Border> symmetricBorders(
    std::span<const std::uint64_t> counts, std::uint64_t total) {
  return {lastAtMost(counts, total / 40),
          firstAtLeast(counts, total, ceilFraction(total, 39, 40))};
}

// The shortest interval's borders [i, J(i)]: J(i) is the first j with
// 20 (C_j - C_i) >= 19 total, that is C_j >= C_i + ceil(19 total / 20),
// and J(i) - i is the least of all i (the leftmost i on ties). J never
// decreases, and it exists exactly for i <= lastLeft (C_i <= total - span).
// After J(i), every left border i' with i < i' <= J(i) - best is at least
// as wide as the best so far (J(i') - i' >= J(i) - i'), equally wide only
// at i' = J(i) - best, which wins only over a best further right: the
// sweep passes over the others, adding their counts into C_i as it goes.
// The first best is the symmetric interval's lower border, near the
// shortest one's for most distributions, so that most left borders are
// passed over.
CoverageBorders shortestBorders(std::span<const std::uint64_t> counts,
                                std::uint64_t total, Border lower,
                                CoverageBorders borders) {
  const std::size_t s = counts.size();
  const std::uint64_t span = ceilFraction(total, 19, 20);
  const std::size_t lastLeft = lastAtMost(counts, total - span).k;
  std::size_t bestLeft = lower.k;
  std::size_t bestWidth =
      firstAtLeast(counts, total, lower.below + span).k - lower.k;
  // The sweep's left border i with C_i, and J(i) with C_J.
  Border left;
  Border reach = firstAtLeast(counts, total, span);
  for (;;) {
    if (reach.k < left.k) reach = left;
    const std::uint64_t target = left.below + span;
    // C_(j+4) below the target: none of j ... j + 4 is J(i).
    while (reach.k + 4 <= s &&
           reach.below + fourFrom(counts, reach.k) < target) {
      reach.below += fourFrom(counts, reach.k);
      reach.k += 4;
    }
    while (reach.k < s && reach.below < target) {
      reach.below += counts[reach.k];
      ++reach.k;
    }
    const std::size_t width = reach.k - left.k;
    if (width < bestWidth || (width == bestWidth && left.k < bestLeft)) {
      bestLeft = left.k;
      bestWidth = width;
    }
    const std::size_t ahead = reach.k - bestWidth;
    const std::size_t next =
        std::max(left.k + 1, ahead < bestLeft ? ahead : ahead + 1);
    if (next > lastLeft) break;
    left.below += countsTotal(counts.subspan(left.k, next - left.k));
    left.k = next;
  }
  borders.shortestLower = bestLeft;
  borders.shortestUpper = bestLeft + bestWidth;
  return borders;
}

// Both intervals of counts whose total is `total`.
std::optional<CoverageInterval> intervalOf(
    const SubBandGrid& grid, std::span<const std::uint64_t> counts,
    std::uint64_t total) {
  if (total == 0) return std::nullopt;
  const auto [lower, upper] = symmetricBorders(counts, total);
  CoverageBorders borders;
  borders.symmetricLower = lower.k;
  borders.symmetricUpper = upper.k;
  return intervalAt(grid, shortestBorders(counts, total, lower, borders));
}

}  // namespace

std::optional<SymmetricEnds> symmetricEnds(
    const SubBandGrid& grid, std::span<const std::uint64_t> counts) {
  return symmetricEnds(grid, counts, countsTotal(counts));
}

std::optional<SymmetricEnds> symmetricEnds(
    const SubBandGrid& grid, std::span<const std::uint64_t> counts,
    std::uint64_t total) {
  if (total == 0) return std::nullopt;
  const auto [lower, upper] = symmetricBorders(counts, total);
  return SymmetricEnds{grid.border(lower.k), grid.border(upper.k)};
}

std::optional<SymmetricEnds> symmetricEnds(const FineHistogram& histogram) {
  return symmetricEnds(histogram.grid(), histogram.counts(),
                       histogram.total());
}

std::optional<CoverageInterval> coverageInterval(
    const SubBandGrid& grid, std::span<const std::uint64_t> counts) {
  return intervalOf(grid, counts, countsTotal(counts));
}

std::optional<CoverageInterval> coverageInterval(
    const FineHistogram& histogram) {
  return intervalOf(histogram.grid(), histogram.counts(), histogram.total());
}

CoverageInterval coverageIntervalAt(double min, double max,
                                    const CoverageBorders& borders) {
  return intervalAt(SubBandGrid(min, max, kFineSubBands), borders);
}

}  // namespace linprob
