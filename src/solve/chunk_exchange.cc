#include "solve/chunk_exchange.h"

#include <cstddef>
#include <stdexcept>
#include <string>

#include "solve/fine_histogram.h"

namespace linprob {
namespace {

// The doubles one chunk's sums take.
std::size_t valuesPerChunk(const CountLayout& layout) {
  const std::size_t moments = layout.accumulate ? layout.positions.size() : 0;
  return layout.bandTotal + 3 * moments;
}

void packSums(const ChunkSums& sums, std::vector<double>& packed) {
  packed.insert(packed.end(), sums.masses.begin(), sums.masses.end());
  for (const WeightedMoments& moments : sums.moments) {
    packed.push_back(moments.sumWeight());
    packed.push_back(moments.sumFirst());
    packed.push_back(moments.sumSecond());
  }
}

// Reads one ChunkSums from `next` on and returns where it ended.
const double* unpackSums(const double* next, const CountLayout& layout,
                         ChunkSums& sums) {
  const std::size_t positions = layout.accumulate ? layout.positions.size() : 0;
  sums.masses.assign(next, next + layout.bandTotal);
  next += layout.bandTotal;
  sums.moments.clear();
  for (std::size_t e = 0; e < positions; ++e) {
    sums.moments.push_back(WeightedMoments::withSums(
        layout.positions[e].reference, next[0], next[1], next[2]));
    next += 3;
  }
  return next;
}

bool hasFineCounts(const CountLayout& layout, std::size_t position) {
  return layout.accumulate && layout.positions[position].subBands;
}

}  // namespace

ChunkShare shareOf(const ProcessGroup& group) {
  return ChunkShare{group.rank(), group.size()};
}

std::vector<double> packChunkSums(const std::vector<ChunkSums>& chunks,
                                  ChunkShare share,
                                  const CountLayout& layout) {
  std::vector<double> packed;
  packed.reserve(share.ownedOf(chunks.size()) * valuesPerChunk(layout));
  for (std::size_t c = share.first(); c < chunks.size(); c += share.step()) {
    const ChunkSums& chunk = chunks[c];
    if (chunk.masses.size() != layout.bandTotal) {
      throw std::runtime_error("chunk exchange: chunk " + std::to_string(c) +
                               " was not counted");
    }
    packSums(chunk, packed);
  }
  return packed;
}

void unpackChunkSums(const std::vector<double>& packed, ChunkShare share,
                     const CountLayout& layout,
                     std::vector<ChunkSums>& chunks) {
  const std::size_t perChunk = valuesPerChunk(layout);
  const std::size_t expected = share.ownedOf(chunks.size()) * perChunk;
  if (packed.size() != expected) {
    throw std::runtime_error("chunk exchange: " +
                             std::to_string(packed.size()) + " values for " +
                             std::to_string(expected) + " sums");
  }
  const double* next = packed.data();
  for (std::size_t c = share.first(); c < chunks.size(); c += share.step()) {
    next = unpackSums(next, layout, chunks[c]);
  }
}

void shareExtremes(Extremes& extremes, ProcessGroup& group) {
  std::vector<double> mine = extremes.min;
  mine.insert(mine.end(), extremes.max.begin(), extremes.max.end());
  const std::vector<std::vector<double>> all = group.allGather(mine);
  const std::size_t n = extremes.min.size();
  for (const std::vector<double>& other : all) {
    if (other.size() != 2 * n) {
      throw std::runtime_error("chunk exchange: extremes of " +
                               std::to_string(other.size() / 2) +
                               " positions for " + std::to_string(n));
    }
    for (std::size_t e = 0; e < n; ++e) {
      extremes.takeMin(static_cast<unsigned>(e), other[e]);
      extremes.takeMax(static_cast<unsigned>(e), other[n + e]);
    }
  }
}

void shareChunkSums(std::vector<ChunkSums>& chunks, const CountLayout& layout,
                    ProcessGroup& group) {
  const ChunkShare own = shareOf(group);
  const std::vector<std::vector<double>> all =
      group.allGather(packChunkSums(chunks, own, layout));
  for (int rank = 0; rank < group.size(); ++rank) {
    if (rank == own.rank) continue;
    unpackChunkSums(all[static_cast<std::size_t>(rank)],
                    ChunkShare{rank, group.size()}, layout, chunks);
  }
}

FineCounts shareFineCounts(const std::vector<FineCounts>& byThread,
                           const CountLayout& layout, ProcessGroup& group) {
  const std::size_t positions = layout.positions.size();
  std::vector<std::size_t> slot(positions, 0);
  std::size_t slots = 0;
  for (std::size_t e = 0; e < positions; ++e) {
    if (hasFineCounts(layout, e)) slot[e] = slots++;
  }
  // Integer sums, modulo 2^64: the order of the threads and of the
  // processes does not matter.
  std::vector<std::uint64_t> flat(slots * kFineSubBands, 0);
  for (const FineCounts& thread : byThread) {
    for (std::size_t e = 0; e < positions && e < thread.size(); ++e) {
      if (!hasFineCounts(layout, e) || thread[e].size() != kFineSubBands) {
        continue;
      }
      std::uint64_t* const out = flat.data() + slot[e] * kFineSubBands;
      for (std::size_t k = 0; k < kFineSubBands; ++k) out[k] += thread[e][k];
    }
  }
  group.sumAll(flat);
  FineCounts total(positions);
  for (std::size_t e = 0; e < positions; ++e) {
    if (!hasFineCounts(layout, e)) continue;
    const std::uint64_t* const in = flat.data() + slot[e] * kFineSubBands;
    total[e].assign(in, in + kFineSubBands);
  }
  return total;
}

void shareBatchParts(std::vector<std::vector<BatchPart>>& parts,
                     BatchSums& batches, const CountLayout& layout,
                     ProcessGroup& group) {
  const ChunkShare own = shareOf(group);
  std::vector<double> mine;
  for (std::size_t c = own.first(); c < parts.size(); c += own.step()) {
    for (const BatchPart& part : parts[c]) packSums(part.sums, mine);
  }
  const std::vector<std::vector<double>> all = group.allGather(mine);
  for (int rank = 0; rank < group.size(); ++rank) {
    if (rank == own.rank) continue;
    const std::vector<double>& packed = all[static_cast<std::size_t>(rank)];
    const ChunkShare theirs{rank, group.size()};
    std::size_t expected = 0;
    for (std::size_t c = theirs.first(); c < parts.size(); c += theirs.step()) {
      expected += parts[c].size() * valuesPerChunk(layout);
    }
    if (packed.size() != expected) {
      throw std::runtime_error("chunk exchange: " +
                               std::to_string(packed.size()) +
                               " values for " + std::to_string(expected) +
                               " batch sums");
    }
    const double* next = packed.data();
    for (std::size_t c = theirs.first(); c < parts.size(); c += theirs.step()) {
      for (BatchPart& part : parts[c]) next = unpackSums(next, layout, part.sums);
    }
  }
  std::vector<std::uint64_t> counts = batches.fineCounts();
  group.sumAll(counts);
  batches.setFineCounts(std::move(counts));
}

}  // namespace linprob
