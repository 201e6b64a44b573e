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
// Sub-bands and borders: those of its SubBandGrid (sub_band_grid.h).
//
// add() is inline and allocates nothing; the counts are allocated once by
// the constructor. Not thread-safe: one histogram per thread, then merge().
#ifndef LINPROB_SOLVE_FINE_HISTOGRAM_H_
#define LINPROB_SOLVE_FINE_HISTOGRAM_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "solve/sub_band_grid.h"

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

// counts[0] + ... + counts[size - 1], exactly (a total that fits in 64
// bits), in four running sums so that the additions do not wait for each
// other: integers give the same total in any grouping.
std::uint64_t countsTotal(std::span<const std::uint64_t> counts);

class FineHistogram {
 public:
  // Throws as SubBandGrid does.
  FineHistogram(double min, double max, std::size_t subBands = kFineSubBands);
  // The histogram of `counts` (subBands() of them, as addCounts takes them)
  // over `grid`, taking them over; throws std::invalid_argument "fine
  // histogram: merge of a different range" for another count of them.
  FineHistogram(const SubBandGrid& grid, std::vector<std::uint64_t> counts);

  void add(double x, double w) {
    const std::uint64_t mass = fixedPointMass(w);
    const std::size_t k = subBand(x);
    counts_[k] += mass;
    total_ += mass;
  }

  // The sub-band add() puts x in. It never decreases as x grows.
  std::size_t subBand(double x) const { return grid_.subBand(x); }

  // Adds counts[k] to sub-band k for every k: counts a caller collected
  // itself (with subBand() and fixedPointMass()), subBands() of them.
  void addCounts(const std::vector<std::uint64_t>& counts);

  // Adds the other histogram's counts; it must have the same min, max and
  // sub-bands ("fine histogram: merge of a different range").
  void merge(const FineHistogram& other);

  const SubBandGrid& grid() const { return grid_; }
  double min() const { return grid_.min(); }
  double max() const { return grid_.max(); }
  std::size_t subBands() const { return counts_.size(); }
  double resolution() const { return grid_.resolution(); }
  double scale() const { return grid_.scale(); }  // S / (max - min), or 0
  // b_k for 0 <= k <= S (SubBandGrid::border).
  double border(std::size_t k) const { return grid_.border(k); }
  const std::vector<std::uint64_t>& counts() const { return counts_; }
  std::uint64_t total() const { return total_; }

 private:
  SubBandGrid grid_;
  std::vector<std::uint64_t> counts_;
  std::uint64_t total_ = 0;
};

}  // namespace linprob

#endif  // LINPROB_SOLVE_FINE_HISTOGRAM_H_
