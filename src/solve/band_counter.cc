#include "solve/band_counter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <utility>

#include "base/reuse_pool.h"
#include "solve/band_kernels.h"
#include "solve/touched_sub_bands.h"

namespace linprob {
namespace {

// Adds each job's probability to its sub-band's sum, marking the sub-band
// touched in the chunk and in the part, and, for a sub-band that holds a
// border, to its band's sum as well.
void addToSubBands(const std::int32_t* subBands, const double* values,
                   const double* probabilities, std::size_t count,
                   const PositionBands& bands, const std::uint64_t* holdsBorder,
                   double* sums, std::uint64_t* touched,
                   std::uint64_t* partTouched, double* compared) {
  for (std::size_t j = 0; j < count; ++j) {
    const auto sub = static_cast<std::size_t>(subBands[j]);
    sums[sub] = sums[sub] + probabilities[j];
    touchSubBand(touched, sub);
    touchSubBand(partTouched, sub);
    if ((holdsBorder[sub / 64] >> (sub % 64)) & 1u) {
      const std::size_t band = bandIndex(bands, values[j]);
      compared[band] = compared[band] + probabilities[j];
    }
  }
}

// Sub-band sums of the counters of earlier phases, all +0.0, taken again
// by later ones.
ReusePool<std::vector<double>>& sumsPool() {
  static ReusePool<std::vector<double>> pool(64);
  return pool;
}

bool finiteRange(const PositionBands& bands) {
  const double width = bands.max - bands.min;
  return std::isfinite(bands.min) && std::isfinite(bands.max) &&
         std::isfinite(width);
}

}  // namespace

CountLayout::CountLayout(const PhaseBands& bands,
                         const std::vector<double>& references)
    : positions(bands.size()), accumulate(!references.empty()) {
  for (std::size_t e = 0; e < bands.size(); ++e) {
    PositionLayout& position = positions[e];
    const PositionBands& own = bands[e];
    position.bands = &own;
    position.offset = bandTotal;
    bandTotal += own.borders.size();
    if (accumulate) {
      // Moments about a reference outside the values would lose their
      // digits to cancellation (and their squares could overflow, the sd
      // then read as 0): one beyond [Min, Max] is taken to its nearer end.
      // The plain solution the run gives lies inside whenever its
      // right-hand side lies inside the family's, so that is rare.
      double reference = references[e];
      if (own.count > 0 && own.min <= own.max) {
        reference = std::clamp(reference, own.min, own.max);
      }
      position.reference = reference;
    }
    if (own.count == 0 || !finiteRange(own) ||
        bands.size() > kMaxSubBandPositions) {
      continue;
    }
    const SubBandGrid probe(own.min, own.max, kFineSubBands);
    position.subBands = true;
    ++subBandPositions;
    position.min = own.min;
    position.scale = probe.scale();
    // Border k (k < K - 1) separates band k from band k + 1. A value in a
    // sub-band below the border's lies below the border, one in a sub-band
    // above it lies above: subBand never decreases.
    const std::size_t separating = own.borders.size() - 1;
    position.holdsBorder.assign(kSubBandWords, 0);
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
      end_(layout.positions.size()),
      slot_(layout.positions.size(), 0),
      compared_(layout.bandTotal, 0.0),
      subBand_(kBlockJobs, 0),
      weights_{},
      moments_(layout.accumulate ? layout.positions.size() : 0,
               MomentLanes{}),
      fine_() {
  std::size_t slot = 0;
  for (std::size_t e = 0; e < layout.positions.size(); ++e) {
    if (layout.positions[e].subBands) slot_[e] = slot++;
  }
}

BandCounter::~BandCounter() {
  if (subBandSums_.empty()) return;
  // Back to +0.0 (a stop may end a chunk half counted) for the pool.
  for (std::size_t slot = 0; slot < layout_.subBandPositions; ++slot) {
    foldTouched(subBandSums_.data() + slot * kFineSubBands,
                touched_.data() + slot * kSubBandWords, nullptr);
  }
  sumsPool().give(std::move(subBandSums_));
}

void BandCounter::allocate() {
  if (allocated_) return;
  allocated_ = true;
  fine_.resize(layout_.positions.size());
  const std::size_t slots = layout_.subBandPositions;
  if (slots == 0) return;
  const std::size_t size = slots * kFineSubBands;
  std::optional<std::vector<double>> pooled = sumsPool().take(
      [size](const std::vector<double>& sums) { return sums.size() == size; });
  subBandSums_ = pooled ? std::move(*pooled) : std::vector<double>(size, 0.0);
  touched_.assign(slots * kSubBandWords, 0);
  partTouched_.assign(slots * kSubBandWords, 0);
}

void BandCounter::setPositions(std::size_t first, std::size_t end) {
  first_ = first;
  end_ = end;
}

bool BandCounter::allPositions() const {
  return first_ == 0 && end_ == layout_.positions.size();
}

void BandCounter::count(const JobBlock& block) {
  allocate();
  const std::size_t jobs = block.count;
  const double* const probabilities = block.probabilities.data();
  if (layout_.accumulate) addWeights(probabilities, jobs, weights_);
  for (std::size_t e = first_; e < end_; ++e) {
    const PositionLayout& position = layout_.positions[e];
    const PositionBands& bands = *position.bands;
    const double* const values = block.entry(static_cast<unsigned>(e));
    double* const compared = compared_.data() + position.offset;
    if (position.subBands) {
      // A position's fine counts when this counter first counts it.
      if (layout_.accumulate && fine_[e].empty()) {
        fine_[e].assign(kFineSubBands, 0);
      }
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
                    subBandSums_.data() + slot_[e] * kFineSubBands,
                    touched_.data() + slot_[e] * kSubBandWords,
                    partTouched_.data() + slot_[e] * kSubBandWords, compared);
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

void BandCounter::runningMasses(std::vector<double>& out) {
  allocate();
  out.resize(layout_.bandTotal);
  for (std::size_t e = first_; e < end_; ++e) {
    const PositionLayout& position = layout_.positions[e];
    const std::size_t bandCount = position.bands->borders.size();
    const double* const compared = compared_.data() + position.offset;
    double* const masses = out.data() + position.offset;
    const double* const sums = subBandSums(e);
    if (sums == nullptr) {
      std::copy(compared, compared + bandCount, masses);
      continue;
    }
    const std::uint64_t* const touched = touchedSubBands(e);
    const bool sparse = touchedCount(touched) <= kSparseSubBands;
    for (std::size_t k = 0; k < bandCount; ++k) {
      const SubBandRange range = position.bandSubBands[k];
      // The sub-bands inside the band, then its compared jobs.
      const double inside =
          sparse ? touchedRangeSum(sums, touched, range.first, range.end)
                 : rangeSum(sums, range.first, range.end);
      masses[k] = inside + compared[k];
    }
  }
}

const double* BandCounter::subBandSums(std::size_t position) const {
  if (!layout_.positions[position].subBands || !allocated_) return nullptr;
  return subBandSums_.data() + slot_[position] * kFineSubBands;
}

const std::uint64_t* BandCounter::touchedSubBands(std::size_t position) const {
  if (!layout_.positions[position].subBands || !allocated_) return nullptr;
  return touched_.data() + slot_[position] * kSubBandWords;
}

std::uint64_t* BandCounter::partTouchedSubBands(std::size_t position) {
  if (!layout_.positions[position].subBands || !allocated_) return nullptr;
  return partTouched_.data() + slot_[position] * kSubBandWords;
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
  for (std::size_t e = first_; e < end_; ++e) {
    const PositionLayout& position = layout_.positions[e];
    std::fill_n(compared_.begin() + static_cast<std::ptrdiff_t>(position.offset),
                position.bands->borders.size(), 0.0);
    if (!position.subBands) continue;
    double* const sums = subBandSums_.data() + slot_[e] * kFineSubBands;
    std::uint64_t* const touched = touched_.data() + slot_[e] * kSubBandWords;
    std::fill_n(partTouched_.data() + slot_[e] * kSubBandWords, kSubBandWords,
                std::uint64_t{0});
    std::uint64_t* const counts =
        layout_.accumulate ? fine_[e].data() : nullptr;
    if (touchedCount(touched) <= kSparseSubBands) {
      foldTouched(sums, touched, counts);
      continue;
    }
    if (counts != nullptr) {
      addFixedPointMasses(sums, kFineSubBands, counts);
    } else {
      std::fill(sums, sums + kFineSubBands, 0.0);
    }
    std::fill(touched, touched + kSubBandWords, std::uint64_t{0});
  }
  // A counter of every position sizes the moments itself.
  if (allPositions()) out.moments.resize(moments_.size());
  for (std::size_t e = first_; e < std::min(end_, moments_.size()); ++e) {
    out.moments[e] = runningMoments(e);
    moments_[e] = MomentLanes{};
  }
  std::fill(std::begin(weights_), std::end(weights_), 0.0);
}

}  // namespace linprob
