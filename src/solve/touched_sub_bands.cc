#include "solve/touched_sub_bands.h"

#include <algorithm>

#include "linear/vector_clones.h"

namespace linprob {

// The AVX2 copy counts bits with one instruction (the x86-64 baseline has
// none: a library call per word).
LINPROB_VECTOR_CLONES
std::size_t touchedCount(const std::uint64_t* touched) {
  std::size_t count = 0;
  for (std::size_t w = 0; w < kSubBandWords; ++w) {
    count += static_cast<std::size_t>(std::popcount(touched[w]));
  }
  return count;
}

double touchedRangeSum(const double* sums, const std::uint64_t* touched,
                       std::size_t first, std::size_t end) {
  if (first >= end) return 0.0;
  // rangeSum's lanes: sub-band f of the groups of four into lane
  // (f - first) mod 4, the rest one by one after the lanes are added.
  const std::size_t grouped = first + (end - first) / 4 * 4;
  double partial[4] = {0.0, 0.0, 0.0, 0.0};
  forEachTouched(touched, first, grouped, [&](std::size_t f) {
    double& lane = partial[(f - first) % 4];
    lane = lane + sums[f];
  });
  double total = partial[0] + partial[1];
  total = total + partial[2];
  total = total + partial[3];
  forEachTouched(touched, grouped, end,
                 [&](std::size_t f) { total = total + sums[f]; });
  return total;
}

void foldTouched(double* sums, std::uint64_t* touched, std::uint64_t* counts) {
  forEachTouched(touched, 0, kFineSubBands, [&](std::size_t f) {
    if (counts != nullptr) counts[f] += fixedPointMass(sums[f]);
    sums[f] = 0.0;
  });
  std::fill(touched, touched + kSubBandWords, std::uint64_t{0});
}

}  // namespace linprob
