#include "results/shortest_errors.h"

#include <cmath>
#include <limits>

#include "results/batch_spread.h"
#include "results/coverage_factor.h"
#include "results/standard_errors.h"

namespace linprob {

ShortestErrors shortestErrors(const std::vector<BatchEstimate>& estimates,
                              double total, std::uint64_t jobs,
                              const FineHistogram& fine, double k,
                              double rate) {
  std::vector<double> shares;
  std::vector<double> lower;
  std::vector<double> upper;
  for (const BatchEstimate& estimate : estimates) {
    if (!estimate.coverage) continue;
    const double fraction = estimate.weight / total;
    if (fraction * static_cast<double>(jobs) < kFewestSubsampleJobs) continue;
    shares.push_back(fraction);
    lower.push_back(estimate.coverage->shortestLower);
    upper.push_back(estimate.coverage->shortestUpper);
  }
  ShortestErrors errors;
  errors.degreesOfFreedom =
      shares.size() < 2 ? 0.0 : static_cast<double>(shares.size() - 1);
  const double scale = coverageFactor(errors.degreesOfFreedom) / k;
  const TieSpans spans = tieSpans(fine);
  const double halfLower = spans.lower / 2.0;
  const double halfUpper = spans.upper / 2.0;
  const double lowerSpread = subsampleError(shares, lower, rate) * scale;
  const double upperSpread = subsampleError(shares, upper, rate) * scale;
  errors.lower = std::sqrt(lowerSpread * lowerSpread + halfLower * halfLower);
  errors.upper = std::sqrt(upperSpread * upperSpread + halfUpper * halfUpper);
  return errors;
}

double shortestRate(PointKind points) {
  return pointKindRow(points).shortestRate;
}

namespace {

// The first and last of the least-width windows [i, j) of sub-bands
// holding 95 % of the total; none (best past the end) where none does.
struct TieWindows {
  std::size_t best = 0;
  std::size_t firstLeft = 0;
  std::size_t lastLeft = 0;
  std::size_t firstRight = 0;
  std::size_t lastRight = 0;
};

// C_j - C_i >= 95 % of the total, compared exactly: 20 (C_j - C_i) >=
// 19 total, in Wide, which must hold 20 total. J(i) never decreases with
// i: two pointers.
template <typename Wide>
TieWindows tieWindows(const std::vector<std::uint64_t>& counts,
                      std::uint64_t total) {
  const Wide needed = Wide{19} * total;
  const std::size_t s = counts.size();
  std::size_t j = 0;
  std::uint64_t belowJ = 0;  // C_j
  std::uint64_t belowI = 0;  // C_i
  TieWindows windows;
  windows.best = s + 1;
  for (std::size_t i = 0; i <= s; ++i) {
    if (i > 0) belowI += counts[i - 1];
    if (j < i) {
      j = i;
      belowJ = belowI;
    }
    while (j < s && Wide{20} * (belowJ - belowI) < needed) {
      belowJ += counts[j];
      ++j;
    }
    if (Wide{20} * (belowJ - belowI) < needed) break;
    const std::size_t width = j - i;
    if (width < windows.best) {
      windows.best = width;
      windows.firstLeft = windows.lastLeft = i;
      windows.firstRight = windows.lastRight = j;
    } else if (width == windows.best) {
      windows.lastLeft = i;
      windows.lastRight = j;
    }
  }
  return windows;
}

}  // namespace

TieSpans tieSpans(const FineHistogram& histogram) {
  const std::vector<std::uint64_t>& counts = histogram.counts();
  const std::uint64_t total = histogram.total();
  TieSpans spans;
  if (total == 0) return spans;
  // 64 bits hold 20 total for any count a run reaches; 128 beyond.
  const TieWindows w =
      total <= std::numeric_limits<std::uint64_t>::max() / 20
          ? tieWindows<std::uint64_t>(counts, total)
          : tieWindows<unsigned __int128>(counts, total);
  if (w.best > counts.size()) return spans;
  spans.lower = histogram.border(w.lastLeft) - histogram.border(w.firstLeft);
  spans.upper = histogram.border(w.lastRight) - histogram.border(w.firstRight);
  return spans;
}

}  // namespace linprob
