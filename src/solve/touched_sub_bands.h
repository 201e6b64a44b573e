// The sub-bands of a position that a chunk's jobs fell in, one bit each
// (kFineSubBands bits in kSubBandWords words), so that the work at the end
// of a chunk or of a batch follows the jobs counted rather than the 16,384
// sub-bands: a chunk of a thousand samples touches at most a thousand.
//
// Every function here reads only the sub-bands whose bit is set and gives,
// bit for bit, what its dense counterpart gives when every other sub-band
// sum is +0.0 (as BandCounter keeps them): adding +0.0 changes no sum of
// probabilities, and fixedPointMass(+0.0) is 0.
#ifndef LINPROB_SOLVE_TOUCHED_SUB_BANDS_H_
#define LINPROB_SOLVE_TOUCHED_SUB_BANDS_H_

#include <bit>
#include <cstddef>
#include <cstdint>

#include "solve/fine_histogram.h"

namespace linprob {

inline constexpr std::size_t kSubBandWords = kFineSubBands / 64;

// Below this many touched sub-bands the sparse loops beat the dense ones.
inline constexpr std::size_t kSparseSubBands = kFineSubBands / 16;

inline void touchSubBand(std::uint64_t* touched, std::size_t sub) {
  touched[sub / 64] |= std::uint64_t{1} << (sub % 64);
}

// Calls visit(sub) for every touched sub-band in [first, end), ascending.
template <typename Visit>
void forEachTouched(const std::uint64_t* touched, std::size_t first,
                    std::size_t end, Visit&& visit) {
  if (first >= end) return;
  const std::size_t last = (end - 1) / 64;
  for (std::size_t w = first / 64; w <= last; ++w) {
    std::uint64_t bits = touched[w];
    if (w == first / 64) bits &= ~std::uint64_t{0} << (first % 64);
    if (w == last && end % 64 != 0) {
      bits &= ~std::uint64_t{0} >> (64 - end % 64);
    }
    while (bits != 0) {
      visit(w * 64 + static_cast<std::size_t>(std::countr_zero(bits)));
      bits &= bits - 1;
    }
  }
}

// The touched sub-bands of a position.
std::size_t touchedCount(const std::uint64_t* touched);

// rangeSum(sums, first, end) (band_kernels.h) from the touched sub-bands:
// each in the partial sum of its lane, (sub - first) mod 4, those past the
// last whole group of four after the partial sums.
double touchedRangeSum(const double* sums, const std::uint64_t* touched,
                       std::size_t first, std::size_t end);

// counts[f] += fixedPointMass(sums[f]), sums[f] = +0.0 for every touched
// f (as addFixedPointMasses); counts may be nullptr (sums cleared only).
// The bits are cleared too.
void foldTouched(double* sums, std::uint64_t* touched, std::uint64_t* counts);

}  // namespace linprob

#endif  // LINPROB_SOLVE_TOUCHED_SUB_BANDS_H_
