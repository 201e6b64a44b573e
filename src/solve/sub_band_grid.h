// SubBandGrid: S equal sub-bands over [min, max] (S a power of two; the
// program uses kFineSubBands), the geometry of a fine histogram without its
// counts, so that counts kept elsewhere (a batch's, a pooled sum) are read
// without being copied into a histogram of their own.
//
// Sub-band of x: floor((x - min) * (S / (max - min))), clamped to [0, S-1]
// (so values outside the range and NaN land in the end sub-bands, NaN in 0);
// with max == min everything goes to sub-band 0. max - min must be finite.
// Borders: b_0 = min, b_S = max, and for 0 < k < S, b_k is the least double
// x in [min, max] with subBand(x) >= k: sub-band k holds exactly the values
// b_k <= x < b_{k+1} (the last one max too), so a closed interval
// [b_i, b_j] holds at least the mass of sub-bands i ... j-1. b_k lies within
// a few roundings of min + k * resolution, with resolution = (max - min) / S;
// borders never decrease (equal neighbours bound an empty sub-band).
//
// Only read after construction: any number of threads may share one.
#ifndef LINPROB_SOLVE_SUB_BAND_GRID_H_
#define LINPROB_SOLVE_SUB_BAND_GRID_H_

#include <cstddef>

namespace linprob {

class SubBandGrid {
 public:
  // Throws std::invalid_argument "fine histogram: 3 sub-bands is not a power
  // of two", "fine histogram: max below min" or, when min, max or their
  // difference is not finite, "fine histogram: range is not finite".
  SubBandGrid(double min, double max, std::size_t subBands);

  // The sub-band of x. It never decreases as x grows.
  std::size_t subBand(double x) const {
    const double position = (x - min_) * scale_;
    std::size_t k = 0;
    if (position > 0.0) {
      k = position < limit_ ? static_cast<std::size_t>(position)
                            : subBands_ - 1;
    }
    return k;
  }

  // b_k for 0 <= k <= S: from min + k * resolution, a few steps between
  // neighbouring doubles, then halving the bracket they found.
  double border(std::size_t k) const;

  double min() const { return min_; }
  double max() const { return max_; }
  std::size_t subBands() const { return subBands_; }
  double resolution() const { return resolution_; }
  double scale() const { return scale_; }  // S / (max - min), or 0

 private:
  double min_;
  double max_;
  std::size_t subBands_;
  double scale_ = 0.0;       // S / (max - min), 0 for a zero-width range
  double limit_ = 0.0;       // S as a double
  double resolution_ = 0.0;  // (max - min) / S
};

}  // namespace linprob

#endif  // LINPROB_SOLVE_SUB_BAND_GRID_H_
