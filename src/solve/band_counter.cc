#include "solve/band_counter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "solve/band_kernels.h"

namespace linprob {
namespace {

// Words of a position's bit set of the sub-bands that hold a border.
constexpr std::size_t kWords = kFineSubBands / 64;

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
