// FineHistogram: the distribution of one unknown over [min, max] in S equal
// sub-bands (S a power of two; the program uses kFineSubBands), with masses
// held as integers so that any order of adding and merging gives the same
// histogram bit for bit.
//
// Mass. Each weight w (a probability, 0 <= w <= 1) becomes the count
// round(w 2^62), ties to even, computed exactly whatever the rounding mode.
// k = 62 keeps every total below 2^64: N adds of weights summing to at most
// 2 give at most 2^63 + N / 2, and N < 2^63. Weights below 2^-63 count as 0.
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
// add() is inline and allocates nothing; the counts are allocated once by
// the constructor. Not thread-safe: one histogram per thread, then merge().
#ifndef LINPROB_SOLVE_FINE_HISTOGRAM_H_
#define LINPROB_SOLVE_FINE_HISTOGRAM_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace linprob {

inline constexpr std::size_t kFineSubBands = 16384;
inline constexpr int kMassFractionBits = 62;

// round(w 2^62), ties to even, for 0 <= w <= 2 (NaN and negatives give 0,
// weights of 4 and more saturate).
inline std::uint64_t fixedPointMass(double w) {
  // Scaling by a power of two is exact; so are the truncation and the
  // fraction left over, which decide the rounding without the FPU's mode.
  const double scaled = w * 4611686018427387904.0;  // 2^62
  if (!(scaled > 0.0)) return 0;
  if (scaled >= 18446744073709551616.0) return ~std::uint64_t{0};  // 2^64
  const std::uint64_t whole = static_cast<std::uint64_t>(scaled);
  const double fraction = scaled - static_cast<double>(whole);
  if (fraction > 0.5 || (fraction == 0.5 && (whole & 1) != 0)) {
    return whole + 1;
  }
  return whole;
}

class FineHistogram {
 public:
  // Throws std::invalid_argument "fine histogram: 3 sub-bands is not a power
  // of two", "fine histogram: max below min" or, when min, max or their
  // difference is not finite, "fine histogram: range is not finite".
  FineHistogram(double min, double max, std::size_t subBands = kFineSubBands);

  void add(double x, double w) {
    const std::uint64_t mass = fixedPointMass(w);
    const std::size_t k = subBand(x);
    counts_[k] += mass;
    total_ += mass;
  }

  // The sub-band add() puts x in. It never decreases as x grows.
  std::size_t subBand(double x) const {
    const double position = (x - min_) * scale_;
    std::size_t k = 0;
    if (position > 0.0) {
      k = position < limit_ ? static_cast<std::size_t>(position)
                            : counts_.size() - 1;
    }
    return k;
  }

  // Adds counts[k] to sub-band k for every k: counts a caller collected
  // itself (with subBand() and fixedPointMass()), subBands() of them.
  void addCounts(const std::vector<std::uint64_t>& counts);

  // Adds the other histogram's counts; it must have the same min, max and
  // sub-bands ("fine histogram: merge of a different range").
  void merge(const FineHistogram& other);

  double min() const { return min_; }
  double max() const { return max_; }
  std::size_t subBands() const { return counts_.size(); }
  double resolution() const { return resolution_; }
  double scale() const { return scale_; }  // S / (max - min), or 0
  // b_k for 0 <= k <= S: a binary search over the doubles in [min, max],
  // at most 64 subBand() calls.
  double border(std::size_t k) const;
  const std::vector<std::uint64_t>& counts() const { return counts_; }
  std::uint64_t total() const { return total_; }

 private:
  double min_;
  double max_;
  double scale_ = 0.0;       // S / (max - min), 0 for a zero-width range
  double limit_ = 0.0;       // S as a double
  double resolution_ = 0.0;  // (max - min) / S
  std::vector<std::uint64_t> counts_;
  std::uint64_t total_ = 0;
};

}  // namespace linprob

#endif  // LINPROB_SOLVE_FINE_HISTOGRAM_H_
