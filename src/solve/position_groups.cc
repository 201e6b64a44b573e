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
std::size_t positionsPerGroup(const CountLayout& layout) {
  return layout.subBandPositions > 0 ? 8 : 64;
}

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
  const std::size_t perGroup = positionsPerGroup(layout);
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
  std::vector<std::unique_ptr<BandCounter>> counters;
  std::vector<std::unique_ptr<BatchPartCounter>> partCounters;
  for (int t = 0; t < threads; ++t) {
    counters.push_back(std::make_unique<BandCounter>(layout));
    partCounters.push_back(std::make_unique<BatchPartCounter>(layout));
  }
  forEachChunk(owned * groups, threads, stop,
               [&](std::size_t unit, int t, const std::stop_token& own) {
                 const std::size_t c = chunkOf(unit / groups);
                 const std::size_t first = unit % groups * perGroup;
                 const std::size_t end = std::min(positions, first + perGroup);
                 BandCounter& counter = *counters[static_cast<std::size_t>(t)];
                 BatchPartCounter& partCounter =
                     *partCounters[static_cast<std::size_t>(t)];
                 counter.setPositions(first, end);
                 partCounter.setPositions(first, end);
                 countChunk(count.source, c, counter, partCounter,
                            parts != nullptr ? &(*parts)[c] : nullptr,
                            batches, chunks[c], [&](auto&& visit) {
                              for (const JobBlock& solved :
                                   count.kept.blocks(c)) {
                                if (own.stop_requested()) return;
                                visit(solved);
                              }
                            });
               });
  for (std::size_t i = 0; i < owned; ++i) count.kept.release(chunkOf(i));
  fineByThread.resize(static_cast<std::size_t>(threads));
  for (int t = 0; t < threads; ++t) {
    fineByThread[static_cast<std::size_t>(t)] =
        counters[static_cast<std::size_t>(t)]->takeFineCounts();
  }
}

}  // namespace linprob
