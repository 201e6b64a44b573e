#include "solve/band_counter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "linear/vector_clones.h"

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

constexpr std::size_t kWords = kFineSubBands / 64;

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

// Adds each job's probability to its sub-band's sum and, for a sub-band
// that holds a border, to its band's sum as well.
void addToSubBands(const std::int32_t* subBands, const double* values,
                   const double* probabilities, std::size_t count,
                   const PositionBands& bands, const std::uint64_t* holdsBorder,
                   double* sums, double* compared) {
  for (std::size_t j = 0; j < count; ++j) {
    const auto sub = static_cast<std::size_t>(subBands[j]);
    sums[sub] = sums[sub] + probabilities[j];
    if ((holdsBorder[sub / 64] >> (sub % 64)) & 1u) {
      const std::size_t band = bandIndex(bands, values[j]);
      compared[band] = compared[band] + probabilities[j];
    }
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

bool finiteRange(const PositionBands& bands) {
  const double width = bands.max - bands.min;
  return std::isfinite(bands.min) && std::isfinite(bands.max) &&
         std::isfinite(width);
}

}  // namespace

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

CountLayout::CountLayout(const PhaseBands& bands,
                         const std::vector<double>& references)
    : positions(bands.size()), accumulate(!references.empty()) {
  for (std::size_t e = 0; e < bands.size(); ++e) {
    PositionLayout& position = positions[e];
    const PositionBands& own = bands[e];
    position.bands = &own;
    position.offset = bandTotal;
    bandTotal += own.borders.size();
    if (accumulate) position.reference = references[e];
    if (own.count == 0 || !finiteRange(own) ||
        bands.size() > kMaxSubBandPositions) {
      continue;
    }
    const FineHistogram probe(own.min, own.max);
    position.subBands = true;
    ++subBandPositions;
    position.min = own.min;
    position.scale = probe.scale();
    // Border k (k < K - 1) separates band k from band k + 1. A value in a
    // sub-band below the border's lies below the border, one in a sub-band
    // above it lies above: subBand never decreases.
    const std::size_t separating = own.borders.size() - 1;
    position.holdsBorder.assign(kWords, 0);
    position.bandSubBands.resize(own.borders.size());
    std::size_t first = 0;
    for (std::size_t k = 0; k < separating; ++k) {
      const std::size_t sub = probe.subBand(own.borders[k]);
      position.holdsBorder[sub / 64] |= std::uint64_t{1} << (sub % 64);
      position.bandSubBands[k] = SubBandRange{first, std::max(first, sub)};
      first = std::max(first, sub + 1);
    }
    position.bandSubBands[separating] =
        SubBandRange{first, std::max(first, kFineSubBands)};
  }
}

BandCounter::BandCounter(const CountLayout& layout)
    : layout_(layout),
      subBandSums_(layout.subBandPositions * kFineSubBands, 0.0),
      slot_(layout.positions.size(), 0),
      compared_(layout.bandTotal, 0.0),
      subBand_(kBlockJobs, 0),
      weights_{},
      moments_(layout.accumulate ? layout.positions.size() : 0,
               MomentLanes{}),
      fine_(layout.positions.size()) {
  std::size_t slot = 0;
  for (std::size_t e = 0; e < layout.positions.size(); ++e) {
    if (!layout.positions[e].subBands) continue;
    slot_[e] = slot++;
    if (layout.accumulate) fine_[e].assign(kFineSubBands, 0);
  }
}

void BandCounter::count(const JobBlock& block) {
  const std::size_t jobs = block.count;
  const double* const probabilities = block.probabilities.data();
  if (layout_.accumulate) addWeights(probabilities, jobs, weights_);
  for (std::size_t e = 0; e < layout_.positions.size(); ++e) {
    const PositionLayout& position = layout_.positions[e];
    const PositionBands& bands = *position.bands;
    const double* const values = block.entry(static_cast<unsigned>(e));
    double* const compared = compared_.data() + position.offset;
    if (position.subBands) {
      if (layout_.accumulate) {
        MomentLanes& lanes = moments_[e];
        subBandsWithMoments(values, probabilities, jobs, position.min,
                            position.scale, subBand_.data(),
                            position.reference, lanes.first, lanes.second);
      } else {
        subBandsOf(values, jobs, position.min, position.scale,
                   subBand_.data());
      }
      addToSubBands(subBand_.data(), values, probabilities, jobs, bands,
                    position.holdsBorder.data(),
                    subBandSums_.data() + slot_[e] * kFineSubBands, compared);
    } else {
      for (std::size_t j = 0; j < jobs; ++j) {
        const std::size_t band = bandIndex(bands, values[j]);
        compared[band] = compared[band] + probabilities[j];
      }
      if (layout_.accumulate) {
        MomentLanes& lanes = moments_[e];
        addMoments(values, probabilities, jobs, position.reference,
                   lanes.first, lanes.second, 0);
      }
    }
  }
}

void BandCounter::runningMasses(std::vector<double>& out) const {
  out.resize(layout_.bandTotal);
  for (std::size_t e = 0; e < layout_.positions.size(); ++e) {
    const PositionLayout& position = layout_.positions[e];
    const std::size_t bandCount = position.bands->borders.size();
    const double* const compared = compared_.data() + position.offset;
    double* const masses = out.data() + position.offset;
    const double* const sums = subBandSums(e);
    if (sums == nullptr) {
      std::copy(compared, compared + bandCount, masses);
      continue;
    }
    for (std::size_t k = 0; k < bandCount; ++k) {
      const SubBandRange range = position.bandSubBands[k];
      // The sub-bands inside the band, then its compared jobs.
      const double inside = rangeSum(sums, range.first, range.end);
      masses[k] = inside + compared[k];
    }
  }
}

const double* BandCounter::subBandSums(std::size_t position) const {
  if (!layout_.positions[position].subBands) return nullptr;
  return subBandSums_.data() + slot_[position] * kFineSubBands;
}

WeightedMoments BandCounter::runningMoments(std::size_t position) const {
  WeightedMoments moments(layout_.positions[position].reference);
  const MomentLanes& lanes = moments_[position];
  for (std::size_t lane = 0; lane < kMomentLanes; ++lane) {
    moments.addSums(weights_[lane], lanes.first[lane], lanes.second[lane]);
  }
  return moments;
}

void BandCounter::finishChunk(ChunkSums& out) {
  runningMasses(out.masses);
  for (std::size_t e = 0; e < layout_.positions.size(); ++e) {
    if (!layout_.positions[e].subBands) continue;
    double* const sums = subBandSums_.data() + slot_[e] * kFineSubBands;
    if (layout_.accumulate) {
      addFixedPointMasses(sums, kFineSubBands, fine_[e].data());
    } else {
      std::fill(sums, sums + kFineSubBands, 0.0);
    }
  }
  std::fill(compared_.begin(), compared_.end(), 0.0);
  out.moments.clear();
  for (std::size_t e = 0; e < moments_.size(); ++e) {
    out.moments.push_back(runningMoments(e));
    moments_[e] = MomentLanes{};
  }
  std::fill(std::begin(weights_), std::end(weights_), 0.0);
}

}  // namespace linprob
