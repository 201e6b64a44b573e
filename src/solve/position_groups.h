// Pass 2 of a phase whose solved blocks were kept from pass 1
// (first_pass_blocks.h), counted a group of positions at a time instead of a
// whole chunk at a time.
//
// A chunk's count of one position depends on that position's values only
// (BandCounter::setPositions): the units of work are (chunk, group of
// positions), taken by the threads in any order; a phase counted in whole
// jobs (sample_counter.h) with at least four positions per thread takes
// one position through every chunk in order instead, so that its batch
// histograms are its unit's alone. Each unit goes through
// the chunk's blocks in job order exactly as a whole chunk is counted, so
// every chunk's sums, every batch's part and the fine counts have the bits
// of counting whole chunks, on any number of threads. What it buys: a
// group's sub-band sums stay in the cache while the blocks pass (a whole
// chunk of 500 positions sweeps 64 MiB of them per block), and a phase of
// fewer chunks than threads (10,000 samples are one chunk) still takes
// every thread.
//
// countChunk is the count of one chunk shared with the solver threads.
#ifndef LINPROB_SOLVE_POSITION_GROUPS_H_
#define LINPROB_SOLVE_POSITION_GROUPS_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <vector>

#include "distributions/job_source.h"
#include "solve/band_counter.h"
#include "solve/batch_parts.h"
#include "solve/batch_sums.h"
#include "solve/chunk_exchange.h"
#include "solve/first_pass_blocks.h"
#include "solve/sample_counter.h"

namespace linprob {

// Phases of at least this many positions count their kept chunks by groups.
inline constexpr unsigned kGroupedPositions = 16;

// Counts chunk c into `out` with `counter` (and its batch parts with
// `partCounter` when `parts` is given), its solved blocks handed over in
// job order by forEachSolved(visit); visit returns nothing.
template <typename ForEachSolved>
void countChunk(const JobSource& source, std::size_t c, BandCounter& counter,
                BatchPartCounter& partCounter, std::vector<BatchPart>* parts,
                BatchSums* batches, ChunkSums& out,
                ForEachSolved&& forEachSolved) {
  std::size_t part = 0;
  std::uint64_t k = 0;
  if (parts != nullptr) partCounter.startChunk();
  forEachSolved([&](const JobBlock& solved) {
    // A batch that ends inside the chunk: its part is cut there.
    if (parts != nullptr && k > 0 &&
        source.batchOf(c, k) != (*parts)[part].batch) {
      partCounter.finishPart(counter, (*parts)[part++], *batches);
    }
    ++k;
    counter.count(solved);
  });
  if (parts != nullptr && k > 0) {
    partCounter.finishPart(counter, (*parts)[part], *batches);
  }
  counter.finishChunk(out);
}

// The same with a counter of whole counts (sample_counter.h).
template <typename ForEachSolved>
void countChunk(const JobSource& source, std::size_t c, SampleCounter& counter,
                std::vector<BatchPart>* parts, ChunkSums& out,
                ForEachSolved&& forEachSolved) {
  std::size_t part = 0;
  std::uint64_t k = 0;
  counter.startChunk();
  forEachSolved([&](const JobBlock& solved) {
    if (parts != nullptr && k > 0 &&
        source.batchOf(c, k) != (*parts)[part].batch) {
      counter.finishPart((*parts)[part++]);
    }
    ++k;
    counter.count(solved);
  });
  if (parts != nullptr && k > 0) counter.finishPart((*parts)[part]);
  counter.finishChunk(out);
}

struct GroupedCount {
  const JobSource& source;
  const CountLayout& layout;
  FirstPassBlocks& kept;
  ChunkShare share;  // the chunks kept
  int threadCount = 1;
  // Set when the phase counts whole jobs of this weight (sample_counter.h).
  std::optional<double> wholeWeight{};
};

// Counts every chunk `kept` holds into chunks[c] (and parts[c] with
// `batches`), releasing its blocks, and gives each thread's fine counts
// (one entry per thread). Stops between two units once `stop` is
// requested.
void countByPositionGroups(const GroupedCount& count,
                           const std::stop_token& stop,
                           std::vector<ChunkSums>& chunks,
                           std::vector<std::vector<BatchPart>>* parts,
                           BatchSums* batches,
                           std::vector<FineCounts>& fineByThread);

}  // namespace linprob

#endif  // LINPROB_SOLVE_POSITION_GROUPS_H_
