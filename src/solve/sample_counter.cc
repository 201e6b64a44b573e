#include "solve/sample_counter.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <utility>

#include "solve/band_kernels.h"
#include "solve/fine_histogram.h"
#include "solve/touched_sub_bands.h"

namespace linprob {
namespace {

constexpr std::uint64_t kExactBelow = std::uint64_t{1} << 53;

// The band of v, from a guess from its offset (bandIndexFrom settles it
// against the borders: any guess gives the same band).
std::size_t bandOf(const PositionBands& bands, double min, double inverseStep,
                   double last, double v) {
  const double offset = v - min;
  double guess = offset * inverseStep;
  guess = guess > 0.0 ? guess : 0.0;
  guess = guess < last ? guess : last;
  return bandIndexFrom(bands, v, static_cast<std::size_t>(guess));
}

}  // namespace

bool countsExactly(double weight, std::uint64_t chunkJobs) {
  if (!(weight > 0.0) || !(weight <= 1.0)) return false;
  // weight = significand * 2^lowest, the significand odd.
  int exponent = 0;
  const double fraction = std::frexp(weight, &exponent);
  auto significand = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  int lowest = exponent - 53;
  const int zeros = std::countr_zero(significand);
  significand >>= zeros;
  lowest += zeros;
  // fixedPointMass(k weight) = k significand 2^(lowest + 62), whole only
  // from 2^0 up.
  if (lowest + kMassFractionBits < 0) return false;
  return chunkJobs < kExactBelow / significand;
}

SampleCounter::SampleCounter(const CountLayout& layout, double weight,
                             BatchSums* batches, bool sharedBatches)
    : layout_(layout),
      weight_(weight),
      fixedWeight_(fixedPointMass(weight)),
      batches_(batches),
      sharedBatches_(sharedBatches),
      end_(layout.positions.size()),
      laneJobs_{} {
  if (batches_ != nullptr) {
    batchSubBands_ = batches_->subBands();
    batchWords_ = (batchSubBands_ + 63) / 64;
    shift_ = static_cast<unsigned>(
        std::countr_zero(kFineSubBands / batchSubBands_));
  }
  search_.resize(layout.positions.size());
  for (std::size_t e = 0; e < layout.positions.size(); ++e) {
    const PositionBands& bands = *layout.positions[e].bands;
    BandSearch& search = search_[e];
    search.min = bands.min;
    search.inverseStep = 1.0 / bands.step;
    const std::size_t count = bands.borders.size();
    search.last = count > 0 ? static_cast<double>(count - 1) : 0.0;
  }
}

void SampleCounter::allocate() {
  if (allocated_) return;
  allocated_ = true;
  const std::size_t positions = layout_.positions.size();
  partBands_.assign(layout_.bandTotal, 0);
  chunkBands_.assign(layout_.bandTotal, 0);
  fine_.resize(positions);
  subBand_.assign(kBlockJobs, 0);
  if (layout_.accumulate) moments_.assign(positions, MomentLanes{});
}

std::uint32_t* SampleCounter::partCountsOf(std::size_t e) {
  // Every part is folded before its chunk ends and the positions change
  // only between chunks, so the slots are all zero when they are taken.
  const std::size_t slots = end_ - first_;
  if (partCounts_.size() < slots * batchSubBands_) {
    partCounts_.assign(slots * batchSubBands_, 0);
    partTouched_.assign(slots * batchWords_, 0);
  }
  return partCounts_.data() + (e - first_) * batchSubBands_;
}

std::uint64_t* SampleCounter::partTouchedOf(std::size_t e) {
  return partTouched_.data() + (e - first_) * batchWords_;
}

void SampleCounter::setPositions(std::size_t first, std::size_t end) {
  first_ = first;
  end_ = end;
}

bool SampleCounter::allPositions() const {
  return first_ == 0 && end_ == layout_.positions.size();
}

void SampleCounter::startChunk() { partMoments_.clear(); }

void SampleCounter::count(const JobBlock& block) {
  allocate();
  // Job j of the block into lane j mod 16, as addWeights adds its weight.
  const std::size_t rounds = block.count / kMomentLanes;
  const std::size_t rest = block.count % kMomentLanes;
  for (std::size_t lane = 0; lane < kMomentLanes; ++lane) {
    laneJobs_[lane] += rounds + (lane < rest ? 1 : 0);
  }
  for (std::size_t e = first_; e < end_; ++e) countPosition(e, block);
}

void SampleCounter::countPosition(std::size_t e, const JobBlock& block) {
  const PositionLayout& position = layout_.positions[e];
  const std::size_t jobs = block.count;
  const double* const values = block.entry(static_cast<unsigned>(e));
  const double* const probabilities = block.probabilities.data();
  std::int32_t* const subBands = subBand_.data();
  if (layout_.accumulate) {
    MomentLanes& lanes = moments_[e];
    if (position.subBands) {
      subBandsWithMoments(values, probabilities, jobs, position.min,
                          position.scale, subBands, position.reference,
                          lanes.first, lanes.second);
    } else {
      addMoments(values, probabilities, jobs, position.reference,
                 lanes.first, lanes.second, 0);
    }
  } else if (position.subBands) {
    subBandsOf(values, jobs, position.min, position.scale, subBands);
  }
  std::uint32_t* const bands = partBands_.data() + position.offset;
  const std::size_t bandCount = position.bands->borders.size();
  if (bandCount <= kComparedBorders + 1) {
    // Few bands: the jobs above each border between two bands.
    const std::size_t borders = bandCount - 1;
    std::fill_n(above_, borders, 0u);
    countAbove(values, jobs, position.bands->borders.data(), borders, above_);
    std::uint32_t below = static_cast<std::uint32_t>(jobs);
    for (std::size_t k = 0; k < borders; ++k) {
      bands[k] += below - above_[k];
      below = above_[k];
    }
    bands[borders] += below;
  } else {
    const BandSearch search = search_[e];
    const PositionBands& own = *position.bands;
    for (std::size_t j = 0; j < jobs; ++j) {
      ++bands[bandOf(own, search.min, search.inverseStep, search.last,
                     values[j])];
    }
  }
  if (!position.subBands || !layout_.accumulate) return;
  std::uint64_t* const fine = fineCountsOf(e).data();
  const std::uint64_t weight = fixedWeight_;
  if (batches_ == nullptr) {
    for (std::size_t j = 0; j < jobs; ++j) {
      fine[static_cast<std::size_t>(subBands[j])] += weight;
    }
    return;
  }
  // The part's own counts in the batch histogram's sub-bands, and those
  // they touched; they go to the batch when the part ends.
  std::uint32_t* const counts = partCountsOf(e);
  std::uint64_t* const touched = partTouchedOf(e);
  const unsigned shift = shift_;
  for (std::size_t j = 0; j < jobs; ++j) {
    const auto g = static_cast<std::uint32_t>(subBands[j]);
    fine[g] += weight;
    const std::uint32_t k = g >> shift;
    ++counts[k];
    touched[k / 64] |= std::uint64_t{1} << (k % 64);
  }
}

std::vector<std::uint64_t>& SampleCounter::fineCountsOf(std::size_t e) {
  std::vector<std::uint64_t>& fine = fine_[e];
  // A position's fine counts when this counter first counts it.
  if (fine.empty()) fine.assign(kFineSubBands, 0);
  return fine;
}

std::vector<std::vector<std::uint64_t>> SampleCounter::takeFineCounts() {
  partCounts_ = {};
  partTouched_ = {};
  return std::move(fine_);
}

WeightedMoments SampleCounter::runningMoments(std::size_t position) const {
  WeightedMoments moments(layout_.positions[position].reference);
  const MomentLanes& lanes = moments_[position];
  for (std::size_t lane = 0; lane < kMomentLanes; ++lane) {
    // The lane's weights summed: k w, exact.
    const double weights = static_cast<double>(laneJobs_[lane]) * weight_;
    moments.addSums(weights, lanes.first[lane], lanes.second[lane]);
  }
  return moments;
}

void SampleCounter::finishPart(BatchPart& part) {
  allocate();
  const bool all = allPositions();
  if (all) part.sums.masses.resize(layout_.bandTotal);
  for (std::size_t e = first_; e < end_; ++e) {
    const PositionLayout& position = layout_.positions[e];
    const std::size_t end = position.offset + position.bands->borders.size();
    for (std::size_t i = position.offset; i < end; ++i) {
      // k w: exact, as the difference of the running sums it stands for.
      const std::uint32_t jobs = partBands_[i];
      part.sums.masses[i] = static_cast<double>(jobs) * weight_;
      chunkBands_[i] += jobs;
      partBands_[i] = 0;
    }
  }
  // A counter of every position sizes the part's moments itself.
  if (all) {
    part.sums.moments.resize(layout_.accumulate ? layout_.positions.size()
                                                : 0);
  }
  if (!layout_.accumulate) return;
  if (partMoments_.empty()) {
    for (const PositionLayout& position : layout_.positions) {
      partMoments_.emplace_back(position.reference);
    }
  }
  for (std::size_t e = first_; e < end_; ++e) {
    part.sums.moments[e] = momentsSince(partMoments_[e], runningMoments(e));
    if (batches_ == nullptr || !layout_.positions[e].subBands) continue;
    foldPart(e, part.batch);
  }
}

void SampleCounter::foldPart(std::size_t e, std::size_t batch) {
  if (partCounts_.empty()) return;
  std::uint32_t* const counts = partCountsOf(e);
  std::uint64_t* const touched = partTouchedOf(e);
  std::uint64_t* const target = batches_->countsToAdd(batch, e);
  const std::uint64_t weight = fixedWeight_;
  // The touched sub-bands, in order: the histogram is walked forward.
  for (std::size_t w = 0; w < batchWords_; ++w) {
    std::uint64_t bits = touched[w];
    if (bits == 0) continue;
    touched[w] = 0;
    std::uint32_t* const word = counts + 64 * w;
    std::uint64_t* const sums = target + 64 * w;
    while (bits != 0) {
      const auto i = static_cast<std::size_t>(std::countr_zero(bits));
      bits &= bits - 1;
      const std::uint64_t mass = word[i] * weight;
      word[i] = 0;
      if (sharedBatches_) {
        std::atomic_ref<std::uint64_t>(sums[i]).fetch_add(
            mass, std::memory_order_relaxed);
      } else {
        sums[i] += mass;
      }
    }
  }
}

void SampleCounter::finishChunk(ChunkSums& out) {
  allocate();
  out.masses.resize(layout_.bandTotal);
  for (std::size_t e = first_; e < end_; ++e) {
    const PositionLayout& position = layout_.positions[e];
    const std::size_t end = position.offset + position.bands->borders.size();
    for (std::size_t i = position.offset; i < end; ++i) {
      const std::uint64_t jobs = chunkBands_[i] + partBands_[i];
      out.masses[i] = static_cast<double>(jobs) * weight_;
      chunkBands_[i] = 0;
      partBands_[i] = 0;
    }
  }
  // A counter of every position sizes the moments itself.
  if (allPositions()) out.moments.resize(moments_.size());
  for (std::size_t e = first_; e < std::min(end_, moments_.size()); ++e) {
    out.moments[e] = runningMoments(e);
    moments_[e] = MomentLanes{};
  }
  std::fill(std::begin(laneJobs_), std::end(laneJobs_), std::uint64_t{0});
}

}  // namespace linprob
