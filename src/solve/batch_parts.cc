#include "solve/batch_parts.h"

#include <algorithm>

#include "solve/fine_histogram.h"
#include "solve/touched_sub_bands.h"

namespace linprob {

std::vector<std::vector<BatchPart>> batchPartsOf(const JobSource& source) {
  const std::size_t chunks = source.chunkPlan().chunks;
  std::vector<std::vector<BatchPart>> parts(chunks);
  if (source.batchCount() == 0) return parts;
  for (std::size_t c = 0; c < chunks; ++c) {
    const std::uint64_t blocks = source.chunkBlocks(c);
    for (std::uint64_t k = 0; k < blocks; ++k) {
      const std::size_t batch = source.batchOf(c, k);
      if (parts[c].empty() || parts[c].back().batch != batch) {
        parts[c].push_back(BatchPart{batch, {}});
      }
    }
  }
  return parts;
}

WeightedMoments momentsSince(WeightedMoments& last,
                             const WeightedMoments& running) {
  WeightedMoments own(running.reference());
  own.addSums(running.sumWeight() - last.sumWeight(),
              running.sumFirst() - last.sumFirst(),
              running.sumSecond() - last.sumSecond());
  last = running;
  return own;
}

void addBatchParts(const std::vector<std::vector<BatchPart>>& parts,
                   BatchSums& batches) {
  for (const std::vector<BatchPart>& chunk : parts) {
    for (const BatchPart& part : chunk) {
      if (!part.sums.masses.empty()) batches.addChunk(part.batch, part.sums);
    }
  }
}

BatchPartCounter::BatchPartCounter(const CountLayout& layout)
    : layout_(layout), end_(layout.positions.size()),
      slotOf_(layout.positions.size(), 0) {
  std::size_t slot = 0;
  for (std::size_t e = 0; e < layout.positions.size(); ++e) {
    if (layout.positions[e].subBands) slotOf_[e] = slot++;
  }
}

void BatchPartCounter::setPositions(std::size_t first, std::size_t end) {
  first_ = first;
  end_ = end;
}

void BatchPartCounter::startChunk() {
  std::fill(masses_.begin(), masses_.end(), 0.0);
  moments_.clear();
  // Only the sub-bands the last chunk touched were copied (none before the
  // first part).
  if (dirty_.empty()) return;
  for (std::size_t slot = 0; slot < layout_.subBandPositions; ++slot) {
    std::uint64_t* const dirty = dirty_.data() + slot * kSubBandWords;
    double* const before = subBands_.data() + slot * kFineSubBands;
    forEachTouched(dirty, 0, kFineSubBands,
                   [&](std::size_t g) { before[g] = 0.0; });
    std::fill(dirty, dirty + kSubBandWords, std::uint64_t{0});
  }
}

void BatchPartCounter::finishPart(BandCounter& counter, BatchPart& part,
                                  BatchSums& batches) {
  if (masses_.empty()) {
    masses_.assign(layout_.bandTotal, 0.0);
    if (layout_.accumulate) {
      subBands_.assign(layout_.subBandPositions * kFineSubBands, 0.0);
      dirty_.assign(layout_.subBandPositions * kSubBandWords, 0);
    }
  }
  counter.runningMasses(now_);
  const bool all = first_ == 0 && end_ == layout_.positions.size();
  if (all) part.sums.masses.resize(now_.size());
  for (std::size_t e = first_; e < end_; ++e) {
    const PositionLayout& position = layout_.positions[e];
    const std::size_t end = position.offset + position.bands->borders.size();
    for (std::size_t i = position.offset; i < end; ++i) {
      part.sums.masses[i] = now_[i] - masses_[i];
    }
  }
  std::swap(masses_, now_);
  // A counter of every position sizes the part's moments itself.
  if (all) {
    part.sums.moments.resize(layout_.accumulate ? layout_.positions.size()
                                                : 0);
  }
  if (!layout_.accumulate) return;
  if (moments_.empty()) {
    for (const PositionLayout& position : layout_.positions) {
      moments_.emplace_back(position.reference);
    }
  }
  for (std::size_t e = first_; e < end_; ++e) {
    part.sums.moments[e] = momentsSince(moments_[e], counter.runningMoments(e));
    const double* const sums = counter.subBandSums(e);
    if (sums == nullptr) continue;
    // Only the sub-bands this part touched changed since the last end.
    const std::size_t slot = slotOf_[e];
    std::uint64_t* const touched = counter.partTouchedSubBands(e);
    std::uint64_t* const dirty = dirty_.data() + slot * kSubBandWords;
    for (std::size_t w = 0; w < kSubBandWords; ++w) dirty[w] |= touched[w];
    double* const before = subBands_.data() + slot * kFineSubBands;
    batches.addSubBandChanges(part.batch, e, sums, touched, before);
    std::fill(touched, touched + kSubBandWords, std::uint64_t{0});
  }
}

}  // namespace linprob
