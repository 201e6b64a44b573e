#include "solve/position_groups.h"

#include <algorithm>
#include <memory>

#include "solve/chunk_threads.h"

namespace linprob {
namespace {

// A group's sub-band sums and fine counts (256 KiB per position, 2 MiB for
// eight) stay in the cache while the chunk's blocks pass; measured at 100
// and 500 unknowns, groups of 2 and 4 were no faster. Positions without
// them cost a band search and moments per job only.
// Whole counts (sample_counter.h) take a position at a time: its counts
// (128 KiB) then stay in the second-level cache with the blocks' values
// passing, and reading one position of a block costs what reading it for a
// group does.
std::size_t positionsPerGroup(const CountLayout& layout, bool whole) {
  if (whole && layout.subBandPositions > 0) return 1;
  return layout.subBandPositions > 0 ? 8 : 64;
}

// Units of one position through every chunk keep the threads busy to the
// end when each takes at least this many.
constexpr std::size_t kUnitsPerThread = 4;

// Every entry a unit writes exists before the units start: the units of a
// chunk write disjoint entries of the same vectors.
void sizeSums(ChunkSums& sums, const CountLayout& layout) {
  sums.masses.assign(layout.bandTotal, 0.0);
  sums.moments.clear();
  if (!layout.accumulate) return;
  for (const PositionLayout& position : layout.positions) {
    sums.moments.emplace_back(position.reference);
  }
}

}  // namespace

void countByPositionGroups(const GroupedCount& count,
                           const std::stop_token& stop,
                           std::vector<ChunkSums>& chunks,
                           std::vector<std::vector<BatchPart>>* parts,
                           BatchSums* batches,
                           std::vector<FineCounts>& fineByThread) {
  const CountLayout& layout = count.layout;
  const std::size_t positions = layout.positions.size();
  const std::size_t perGroup =
      positionsPerGroup(layout, count.wholeWeight.has_value());
  const std::size_t groups = (positions + perGroup - 1) / perGroup;
  const std::size_t owned = count.share.ownedOf(chunks.size());
  const auto chunkOf = [&](std::size_t i) {
    return count.share.first() + i * count.share.step();
  };
  for (std::size_t i = 0; i < owned; ++i) {
    const std::size_t c = chunkOf(i);
    sizeSums(chunks[c], layout);
    if (parts == nullptr) continue;
    for (BatchPart& part : (*parts)[c]) sizeSums(part.sums, layout);
  }
  const int threads = std::max(count.threadCount, 1);
  // Whole counts of enough positions: a unit is one position through every
  // chunk in order, so that no other thread adds to its batch histograms.
  // Otherwise units of one batch, in two chunks, may run at once.
  const bool byPosition =
      count.wholeWeight &&
      positions >= kUnitsPerThread * static_cast<std::size_t>(threads);
  const std::size_t units = byPosition ? positions : owned * groups;
  const bool sharedBatches = !byPosition && owned > 1 && threads > 1;
  std::vector<std::unique_ptr<BandCounter>> counters;
  std::vector<std::unique_ptr<BatchPartCounter>> partCounters;
  std::vector<std::unique_ptr<SampleCounter>> wholeCounters;
  for (int t = 0; t < threads; ++t) {
    if (count.wholeWeight) {
      wholeCounters.push_back(std::make_unique<SampleCounter>(
          layout, *count.wholeWeight, parts != nullptr ? batches : nullptr,
          sharedBatches));
      continue;
    }
    counters.push_back(std::make_unique<BandCounter>(layout));
    partCounters.push_back(std::make_unique<BatchPartCounter>(layout));
  }
  // Chunk c of the unit, positions first ... end-1.
  const auto countUnitChunk = [&](std::size_t c, std::size_t first,
                                  std::size_t end, std::size_t slot,
                                  const std::stop_token& own) {
    std::vector<BatchPart>* const chunkParts =
        parts != nullptr ? &(*parts)[c] : nullptr;
    const auto blocks = [&](auto&& visit) {
      for (const JobBlock& solved : count.kept.blocks(c)) {
        if (own.stop_requested()) return;
        visit(solved);
      }
    };
    if (count.wholeWeight) {
      SampleCounter& counter = *wholeCounters[slot];
      counter.setPositions(first, end);
      countChunk(count.source, c, counter, chunkParts, chunks[c], blocks);
      return;
    }
    BandCounter& counter = *counters[slot];
    BatchPartCounter& partCounter = *partCounters[slot];
    counter.setPositions(first, end);
    partCounter.setPositions(first, end);
    countChunk(count.source, c, counter, partCounter, chunkParts, batches,
               chunks[c], blocks);
  };
  forEachChunk(units, threads, stop,
               [&](std::size_t unit, int t, const std::stop_token& own) {
                 const auto slot = static_cast<std::size_t>(t);
                 if (byPosition) {
                   for (std::size_t i = 0; i < owned; ++i) {
                     countUnitChunk(chunkOf(i), unit, unit + 1, slot, own);
                   }
                   return;
                 }
                 const std::size_t first = unit % groups * perGroup;
                 countUnitChunk(chunkOf(unit / groups), first,
                                std::min(positions, first + perGroup), slot,
                                own);
               });
  for (std::size_t i = 0; i < owned; ++i) count.kept.release(chunkOf(i));
  fineByThread.resize(static_cast<std::size_t>(threads));
  for (std::size_t t = 0; t < static_cast<std::size_t>(threads); ++t) {
    fineByThread[t] = count.wholeWeight ? wholeCounters[t]->takeFineCounts()
                                        : counters[t]->takeFineCounts();
  }
}

}  // namespace linprob
