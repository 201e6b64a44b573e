#include "solve/count_results.h"

#include <algorithm>
#include <cstddef>
#include <stop_token>
#include <utility>

#include "solve/chunk_threads.h"
#include "solve/fine_histogram.h"

namespace linprob {
namespace {

// Position e's bands: the chunks' sums in chunk order, then the threads'
// fine counts (taken over where one thread alone counted the position, as
// grouped counts are).
void combinePosition(CountResults& results, const CountLayout& layout,
                     std::size_t e, PositionBands& position) {
  const PositionLayout& own = layout.positions[e];
  for (const ChunkSums& chunk : results.chunks) {
    for (std::size_t k = 0; k < position.masses.size(); ++k) {
      // Chunk after chunk, from 0.0: the order fixes the rounded mass.
      const double sum = position.masses[k] + chunk.masses[own.offset + k];
      position.masses[k] = sum;
    }
  }
  if (!layout.accumulate || position.count == 0) return;
  position.moments.emplace(own.reference);
  for (const ChunkSums& chunk : results.chunks) {
    position.moments->merge(chunk.moments[e]);
  }
  if (!own.subBands || position.coverage) return;
  std::vector<std::uint64_t>* only = nullptr;
  std::size_t counters = 0;
  for (auto& fine : results.fineByThread) {
    if (e < fine.size() && !fine[e].empty()) {
      only = &fine[e];
      ++counters;
    }
  }
  if (counters == 1) {
    position.fine.emplace(
        SubBandGrid(position.min, position.max, kFineSubBands),
        std::move(*only));
    return;
  }
  position.fine.emplace(position.min, position.max);
  for (auto& fine : results.fineByThread) {
    if (e < fine.size() && !fine[e].empty()) position.fine->addCounts(fine[e]);
  }
}

}  // namespace

void combine(CountResults& results, const CountLayout& layout,
             PhaseBands& bands, int threads) {
  constexpr std::size_t kPositionsPerThread = 64;
  const int workers = static_cast<int>(std::min<std::size_t>(
      static_cast<std::size_t>(std::max(threads, 1)),
      std::max<std::size_t>(bands.size() / kPositionsPerThread, 1)));
  if (workers <= 1) {
    for (std::size_t e = 0; e < bands.size(); ++e) {
      combinePosition(results, layout, e, bands[e]);
    }
    return;
  }
  forEachChunk(bands.size(), workers, std::stop_token(),
               [&](std::size_t e, int, const std::stop_token&) {
                 combinePosition(results, layout, e, bands[e]);
               });
}


}  // namespace linprob
