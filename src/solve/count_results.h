// CountResults: what pass 2 of a phase leaves (solve/phase_solver.h), and
// the phase's bands combined from it.
//
// Each slot is written by one thread only while the pass runs. combine
// then adds, for every position, the chunks' sums in chunk order (the
// order fixes the rounded masses and moments) and the threads' fine counts
// (integers: any order), taking a position's counts over where one thread
// alone counted it. Positions are combined on up to `threads` threads: each
// position's sums are its own, so the bits do not depend on them.
#ifndef LINPROB_SOLVE_COUNT_RESULTS_H_
#define LINPROB_SOLVE_COUNT_RESULTS_H_

#include <cstdint>
#include <vector>

#include "solve/band_counter.h"
#include "solve/band_table.h"
#include "solve/batch_parts.h"
#include "solve/batch_sums.h"

namespace linprob {

struct CountResults {
  std::vector<ChunkSums> chunks;
  std::vector<std::vector<std::vector<std::uint64_t>>> fineByThread;
  // With batches: each chunk's parts, and the batches' histograms.
  std::vector<std::vector<BatchPart>> parts;
  BatchSums* batches = nullptr;
};

// Fills the masses, moments and fine histograms of `bands` (their borders
// laid) from `results`, whose fine counts it takes.
void combine(CountResults& results, const CountLayout& layout,
             PhaseBands& bands, int threads);

}  // namespace linprob

#endif  // LINPROB_SOLVE_COUNT_RESULTS_H_
