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

// The borders of the symmetric interval of a histogram with mass, from its
// cumulative counts C_0 ... C_S: C_k grows with k, so lower is the last k
// with 40 C_k <= total and upper the first with 40 C_k >= 39 total (k = S
// always qualifies). In integers, 40 C <= total is C <= floor(total / 40)
// and 40 C >= 39 total is C >= ceil(39 total / 40); both are found by
// bisection.
std::pair<std::size_t, std::size_t> symmetricBorders(
    const std::vector<std::uint64_t>& cumulative) {
  const std::uint64_t total = cumulative.back();
  const auto from = cumulative.begin();
  const auto lower = static_cast<std::size_t>(
      std::upper_bound(from + 1, cumulative.end(), total / 40) - (from + 1));
  const auto upper = static_cast<std::size_t>(
      std::lower_bound(from, cumulative.end(), ceilShare(total, 39, 40)) -
      from);
  return {lower, upper};
}

// cumulative[k] = C_k, in a buffer of the calling thread's; no overflow,
// the total fits in 64 bits.
const std::vector<std::uint64_t>& cumulativeCounts(
    std::span<const std::uint64_t> counts) {
  thread_local std::vector<std::uint64_t> cumulative;
  cumulative.resize(counts.size() + 1);
  // The running sum kept in a register, not read back from the array.
  std::uint64_t* const out = cumulative.data();
  std::uint64_t sum = 0;
  out[0] = 0;
  for (std::size_t k = 0; k < counts.size(); ++k) {
    sum += counts[k];
    out[k + 1] = sum;
  }
  return cumulative;
}

}  // namespace

std::optional<SymmetricEnds> symmetricEnds(
    const SubBandGrid& grid, std::span<const std::uint64_t> counts) {
  const std::vector<std::uint64_t>& cumulative = cumulativeCounts(counts);
  if (cumulative.back() == 0) return std::nullopt;
  const auto [lower, upper] = symmetricBorders(cumulative);
  return SymmetricEnds{grid.border(lower), grid.border(upper)};
}

std::optional<SymmetricEnds> symmetricEnds(const FineHistogram& histogram) {
  return symmetricEnds(histogram.grid(), histogram.counts());
}

std::optional<CoverageInterval> coverageInterval(
    const SubBandGrid& grid, std::span<const std::uint64_t> counts) {
  const std::vector<std::uint64_t>& cumulative = cumulativeCounts(counts);
  const std::uint64_t total = cumulative.back();
  if (total == 0) return std::nullopt;
  const std::size_t s = counts.size();
  const auto [lower, upper] = symmetricBorders(cumulative);

  // For each left border i the first j with 20 (C_j - C_i) >= 19 total,
  // that is C_j - C_i >= ceil(19 total / 20); j never moves back as i grows.
  // Stop once no j <= S qualifies any more.
  // A left border whose sub-band is empty (C_{i+1} = C_i) never wins:
  // i + 1 has the same right border and is narrower, so those are passed
  // over.
  const std::uint64_t span = ceilShare(total, 19, 20);
  const std::uint64_t* const c = cumulative.data();
  std::size_t bestLeft = 0;
  std::size_t bestRight = s;
  std::size_t j = 0;
  for (std::size_t i = 0; i <= s; ++i) {
    if (i < s && c[i + 1] == c[i]) continue;
    if (j < i) j = i;
    const std::uint64_t target = c[i] + span;
    while (j <= s && c[j] < target) ++j;
    if (j > s) break;
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
