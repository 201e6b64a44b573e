#include "solve/band_kernels.h"

#include <cstring>

#include "linear/vector_clones.h"
#include "solve/fine_histogram.h"

namespace linprob {
namespace {

using FourDoubles = double __attribute__((vector_size(32)));
using FourInts = std::int32_t __attribute__((vector_size(16)));
using FourWords = std::int64_t __attribute__((vector_size(32)));

// The kernels below are compiled once per LINPROB_VECTOR_CLONES target and
// flattened, so that the lane helpers they call run in the clone's
// instructions.
#define LINPROB_KERNEL LINPROB_VECTOR_CLONES __attribute__((flatten))

// Lane helpers: always inlined into the kernels, vectors passed by
// reference (a vector passed by value across an ordinary call would change
// with the target).
template <typename Vector, typename Element>
[[gnu::always_inline]] inline void loadFour(Vector& to, const Element* from) {
  static_assert(sizeof(Vector) == 4 * sizeof(Element));
  std::memcpy(&to, from, sizeof to);
}
template <typename Vector, typename Element>
[[gnu::always_inline]] inline void storeFour(Element* to, const Vector& from) {
  static_assert(sizeof(Vector) == 4 * sizeof(Element));
  std::memcpy(to, &from, sizeof from);
}

// Sixteen running sums (lane j mod 16 of a kernel) in four vectors.
struct SixteenLanes {
  FourDoubles part[4];
};
[[gnu::always_inline]] inline void loadLanes(SixteenLanes& lanes,
                                             const double* sums) {
#pragma GCC unroll 4
  for (int k = 0; k < 4; ++k) loadFour(lanes.part[k], sums + 4 * k);
}
[[gnu::always_inline]] inline void storeLanes(double* sums,
                                              const SixteenLanes& lanes) {
#pragma GCC unroll 4
  for (int k = 0; k < 4; ++k) storeFour(sums + 4 * k, lanes.part[k]);
}

// FineHistogram::subBand of four values: clamping the position to
// [0, S - 1] before truncating gives the same index: a NaN or a position not
// above 0 gives 0, one of S - 1 or more gives S - 1.
struct SubBandScale {
  FourDoubles low;     // Min in every lane
  FourDoubles factor;  // the scale in every lane
  FourDoubles last;    // S - 1 in every lane
};
[[gnu::always_inline]] inline SubBandScale subBandScale(double min,
                                                        double scale) {
  const FourDoubles zero = {0.0, 0.0, 0.0, 0.0};
  return SubBandScale{zero + min, zero + scale,
                      zero + static_cast<double>(kFineSubBands - 1)};
}
[[gnu::always_inline]] inline FourInts subBandsOfFour(const FourDoubles& v,
                                                      const SubBandScale& s) {
  const FourDoubles zero = {0.0, 0.0, 0.0, 0.0};
  const FourDoubles offset = v - s.low;
  const FourDoubles position = offset * s.factor;
  FourDoubles clamped = position > zero ? position : zero;
  clamped = clamped < s.last ? clamped : s.last;
  return __builtin_convertvector(clamped, FourInts);
}

// The moments step of four jobs, in the statement order of
// WeightedMoments::add: d = x - r, weighted = p d, squared = weighted d.
[[gnu::always_inline]] inline void momentsOfFour(const FourDoubles& x,
                                                 const FourDoubles& p,
                                                 const FourDoubles& r,
                                                 FourDoubles& first,
                                                 FourDoubles& second) {
  const FourDoubles d = x - r;
  const FourDoubles weighted = p * d;
  const FourDoubles squared = weighted * d;
  first = first + weighted;
  second = second + squared;
}

}  // namespace

// FineHistogram::subBand of values[0 ... count-1], four at a time (the
// arrays hold count rounded up to four).
LINPROB_KERNEL
void subBandsOf(const double* values, std::size_t count, double min,
                double scale, std::int32_t* out) {
  const SubBandScale bands = subBandScale(min, scale);
  for (std::size_t j = 0; j < count; j += 4) {
    FourDoubles v;
    loadFour(v, values + j);
    storeFour(out + j, subBandsOfFour(v, bands));
  }
}

// The weights' part of the weighted moments, job j into lane j mod 16.
LINPROB_KERNEL
void addWeights(const double* weights, std::size_t count, double* lanes) {
  SixteenLanes w;
  loadLanes(w, lanes);
  std::size_t j = 0;
  for (; j + 16 <= count; j += 16) {
#pragma GCC unroll 4
    for (int k = 0; k < 4; ++k) {
      FourDoubles p;
      loadFour(p, weights + j + 4 * k);
      w.part[k] = w.part[k] + p;
    }
  }
  storeLanes(lanes, w);
  for (; j < count; ++j) {
    double& lane = lanes[j % 16];
    lane = lane + weights[j];
  }
}

// The values' part of the weighted moments about `reference` of jobs
// start ... count-1 (start a multiple of 16), job j into lane j mod 16, in
// the statement order of WeightedMoments::add. The eight running sums stay
// in registers.
LINPROB_KERNEL
void addMoments(const double* values, const double* weights,
                std::size_t count, double reference, double* sumFirst,
                double* sumSecond, std::size_t start) {
  SixteenLanes first;
  SixteenLanes second;
  loadLanes(first, sumFirst);
  loadLanes(second, sumSecond);
  const FourDoubles zero = {0.0, 0.0, 0.0, 0.0};
  const FourDoubles r = zero + reference;
  std::size_t j = start;
  for (; j + 16 <= count; j += 16) {
#pragma GCC unroll 4
    for (int k = 0; k < 4; ++k) {
      const std::size_t at = j + 4 * static_cast<std::size_t>(k);
      FourDoubles x;
      FourDoubles p;
      loadFour(x, values + at);
      loadFour(p, weights + at);
      momentsOfFour(x, p, r, first.part[k], second.part[k]);
    }
  }
  storeLanes(sumFirst, first);
  storeLanes(sumSecond, second);
  for (; j < count; ++j) {
    const std::size_t lane = j % 16;
    const double d = values[j] - reference;
    const double weighted = weights[j] * d;
    const double squared = weighted * d;
    sumFirst[lane] = sumFirst[lane] + weighted;
    sumSecond[lane] = sumSecond[lane] + squared;
  }
}

// subBandsOf and addMoments of the same values in one loop: each value is
// read once for both, and the moments' eight running sums stay in
// registers. The same results as the two one after the other.
LINPROB_KERNEL
void subBandsWithMoments(const double* values, const double* weights,
                         std::size_t count, double min, double scale,
                         std::int32_t* out, double reference,
                         double* sumFirst, double* sumSecond) {
  const SubBandScale bands = subBandScale(min, scale);
  const FourDoubles zero = {0.0, 0.0, 0.0, 0.0};
  const FourDoubles r = zero + reference;
  SixteenLanes first;
  SixteenLanes second;
  loadLanes(first, sumFirst);
  loadLanes(second, sumSecond);
  std::size_t j = 0;
  for (; j + 16 <= count; j += 16) {
#pragma GCC unroll 4
    for (int k = 0; k < 4; ++k) {
      const std::size_t at = j + 4 * static_cast<std::size_t>(k);
      FourDoubles x;
      FourDoubles p;
      loadFour(x, values + at);
      loadFour(p, weights + at);
      storeFour(out + at, subBandsOfFour(x, bands));
      momentsOfFour(x, p, r, first.part[k], second.part[k]);
    }
  }
  storeLanes(sumFirst, first);
  storeLanes(sumSecond, second);
  if (j < count) {
    // The last jobs, fewer than 16: job j is still in lane j mod 16.
    subBandsOf(values + j, count - j, min, scale, out + j);
    addMoments(values, weights, count, reference, sumFirst, sumSecond, j);
  }
}

// sums[first] + ... + sums[end-1] in four interleaved partial sums, added
// in a fixed order at the end.
LINPROB_KERNEL
double rangeSum(const double* sums, std::size_t first, std::size_t end) {
  FourDoubles partial = {0.0, 0.0, 0.0, 0.0};
  std::size_t f = first;
  for (; f + 4 <= end; f += 4) {
    FourDoubles v;
    loadFour(v, sums + f);
    partial = partial + v;
  }
  double total = partial[0] + partial[1];
  total = total + partial[2];
  total = total + partial[3];
  for (; f < end; ++f) total = total + sums[f];
  return total;
}

// Four at a time: the scaling by 2^62 is exact, and so are the truncation
// and the fraction left over for values below 2^63 once scaled, which decide
// the rounding half to even as fixedPointMass does. A group with a value
// that fixedPointMass treats apart (negative, NaN, 2 and more) is done by
// it. Groups of four +0.0 are passed over.
LINPROB_WIDE_CLONES __attribute__((flatten))
void addFixedPointMasses(double* sums, std::size_t count,
                         std::uint64_t* counts) {
  const FourDoubles zero = {0.0, 0.0, 0.0, 0.0};
  const FourDoubles half = zero + 0.5;
  for (std::size_t f = 0; f < count; f += 4) {
    FourDoubles v;
    loadFour(v, sums + f);
    FourWords bits;
    loadFour(bits, sums + f);
    // Most sub-bands of a chunk are empty: +0.0 adds nothing and stays.
    if ((bits[0] | bits[1] | bits[2] | bits[3]) == 0) continue;
    const FourDoubles scaled = v * 4611686018427387904.0;  // 2^62
    const FourWords usual =
        (scaled >= 0.0) & (scaled < 9223372036854775808.0);  // 2^63
    if ((usual[0] & usual[1] & usual[2] & usual[3]) == 0) {
      for (std::size_t lane = 0; lane < 4; ++lane) {
        counts[f + lane] += fixedPointMass(sums[f + lane]);
      }
    } else {
      const FourWords whole = __builtin_convertvector(scaled, FourWords);
      const FourDoubles fraction =
          scaled - __builtin_convertvector(whole, FourDoubles);
      const FourWords odd = (whole & 1) != 0;
      // Comparisons give -1 where true: subtracting `up` adds one.
      const FourWords up = (fraction > half) | ((fraction == half) & odd);
      FourWords total;
      loadFour(total, counts + f);
      total = total + (whole - up);
      storeFour(counts + f, total);
    }
    storeFour(sums + f, zero);
  }
}

// Eight values at a time in two vectors, each comparison -1 where true.
LINPROB_WIDE_CLONES __attribute__((flatten))
void countAbove(const double* values, std::size_t count,
                const double* borders, std::size_t borderCount,
                std::uint32_t* above) {
  for (std::size_t k = 0; k < borderCount; ++k) {
    const FourDoubles zero = {0.0, 0.0, 0.0, 0.0};
    const FourDoubles border = zero + borders[k];
    FourWords first = {0, 0, 0, 0};
    FourWords second = {0, 0, 0, 0};
    std::size_t j = 0;
    for (; j + 8 <= count; j += 8) {
      FourDoubles a;
      FourDoubles b;
      loadFour(a, values + j);
      loadFour(b, values + j + 4);
      first = first + (a > border);
      second = second + (b > border);
    }
    const FourWords both = first + second;
    std::int64_t total = -(both[0] + both[1] + both[2] + both[3]);
    for (; j < count; ++j) total += values[j] > borders[k] ? 1 : 0;
    above[k] += static_cast<std::uint32_t>(total);
  }
}

}  // namespace linprob
