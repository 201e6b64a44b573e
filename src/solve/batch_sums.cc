#include "solve/batch_sums.h"

#include "solve/touched_sub_bands.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <stdexcept>
#include <string>
#include <utility>

namespace linprob {
namespace {

constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);
// All batch histograms together: 64 MiB of counts.
constexpr std::size_t kMostFineCounts = std::size_t{8} << 20;
constexpr std::size_t kFewestSubBands = 1024;

}  // namespace

BatchSums::BatchSums(const CountLayout& layout, std::size_t batches,
                     std::size_t subBands)
    : subBands_(subBands),
      masses_(batches, std::vector<double>(layout.bandTotal, 0.0)),
      moments_(batches) {
  if (!std::has_single_bit(subBands) || subBands > kFineSubBands) {
    throw std::invalid_argument("batch sums: " + std::to_string(subBands) +
                                " sub-bands do not divide " +
                                std::to_string(kFineSubBands));
  }
  shift_ = static_cast<unsigned>(std::countr_zero(kFineSubBands / subBands));
  for (const PositionLayout& position : layout.positions) {
    offsets_.push_back(position.offset);
    const bool fine = layout.accumulate && position.subBands;
    slot_.push_back(fine ? slots_++ : kNoSlot);
    if (!layout.accumulate) continue;
    for (std::vector<WeightedMoments>& own : moments_) {
      own.emplace_back(position.reference);
    }
  }
  fine_.assign(batches * slots_ * subBands, 0);
}

std::size_t BatchSums::subBandsFor(std::size_t positions, std::size_t batches) {
  std::size_t subBands = kFineSubBands;
  while (subBands > kFewestSubBands &&
         positions * batches * subBands > kMostFineCounts) {
    subBands /= 2;
  }
  return subBands;
}

void BatchSums::addChunk(std::size_t batch, const ChunkSums& chunk) {
  std::vector<double>& masses = masses_[batch];
  for (std::size_t i = 0; i < masses.size(); ++i) {
    // Chunk after chunk, from 0.0, as the phase adds its masses.
    const double sum = masses[i] + chunk.masses[i];
    masses[i] = sum;
  }
  std::vector<WeightedMoments>& moments = moments_[batch];
  for (std::size_t e = 0; e < moments.size(); ++e) {
    moments[e].merge(chunk.moments[e]);
  }
}

void BatchSums::addSubBandChanges(std::size_t batch, std::size_t position,
                                  const double* sums,
                                  const std::uint64_t* touched,
                                  double* before) {
  const std::size_t at = fineAt(batch, position);
  if (at == kNoSlot) {
    forEachTouched(touched, 0, kFineSubBands,
                   [&](std::size_t g) { before[g] = sums[g]; });
    return;
  }
  // Only a touched sub-band's sum can differ from its value at the last
  // end; each adds its own mass. Integers, so the batch's counts are those
  // of adding the masses of a group first.
  std::uint64_t* const counts = fine_.data() + at;
  forEachTouched(touched, 0, kFineSubBands, [&](std::size_t g) {
    const double part = sums[g] - before[g];
    before[g] = sums[g];
    const std::uint64_t mass = fixedPointMass(part);
    if (mass != 0) {
      std::atomic_ref<std::uint64_t>(counts[g >> shift_])
          .fetch_add(mass, std::memory_order_relaxed);
    }
  });
}

void BatchSums::addFineCounts(const std::vector<std::uint64_t>& counts) {
  if (counts.size() != fine_.size()) {
    throw std::invalid_argument("batch sums: fine counts of another shape");
  }
  for (std::size_t i = 0; i < fine_.size(); ++i) fine_[i] += counts[i];
}

void BatchSums::setFineCounts(std::vector<std::uint64_t> counts) {
  if (counts.size() != fine_.size()) {
    throw std::invalid_argument("batch sums: fine counts of another shape");
  }
  fine_ = std::move(counts);
}

std::span<const std::uint64_t> BatchSums::counts(std::size_t batch,
                                                 std::size_t position) const {
  const std::size_t at = fineAt(batch, position);
  if (at == kNoSlot) return {};
  return std::span<const std::uint64_t>(fine_).subspan(at, subBands_);
}

std::uint64_t* BatchSums::countsToAdd(std::size_t batch,
                                      std::size_t position) {
  const std::size_t at = fineAt(batch, position);
  return at == kNoSlot ? nullptr : fine_.data() + at;
}

std::size_t BatchSums::fineAt(std::size_t batch, std::size_t position) const {
  const std::size_t slot = slot_[position];
  if (slot == kNoSlot) return kNoSlot;
  return (batch * slots_ + slot) * subBands_;
}

}  // namespace linprob
