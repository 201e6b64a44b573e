// BatchParts: a sampling phase's chunks cut at the ends of its batches
// (JobSource::batchOf), so that the batches of standard errors
// (solve/batch_sums.h) need not follow the chunks.
//
// A chunk is counted as always (BandCounter); where a batch ends inside it,
// the chunk's running sums, less those at the previous end, are that
// batch's part of the chunk: its band masses and moments go to the part
// (added to BatchSums in chunk order after the pass, by addBatchParts), its
// sub-band sums straight to the batch's histogram. The differences of
// running sums are the parts' sums up to a rounding of the chunk's sums,
// far below any standard error, and depend only on the chunk, never on the
// thread that counted it.
//
// A BatchPartCounter belongs to one solver thread; it allocates its copies
// of the running sums on its first part, never per block.
#ifndef LINPROB_SOLVE_BATCH_PARTS_H_
#define LINPROB_SOLVE_BATCH_PARTS_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "distributions/job_source.h"
#include "solve/band_counter.h"
#include "solve/batch_sums.h"

namespace linprob {

struct BatchPart {
  std::size_t batch = 0;
  ChunkSums sums;  // set once the part is counted
};

// By chunk, the batches its blocks belong to, in block order.
std::vector<std::vector<BatchPart>> batchPartsOf(const JobSource& source);

// What a running accumulator took since `last`, a part's moments: each sum
// less last's (the part's own sums up to a rounding of the running ones);
// `last` becomes `running`.
WeightedMoments momentsSince(WeightedMoments& last,
                             const WeightedMoments& running);

// Adds every chunk's parts to their batches, chunk after chunk.
void addBatchParts(const std::vector<std::vector<BatchPart>>& parts,
                   BatchSums& batches);

class BatchPartCounter {
 public:
  explicit BatchPartCounter(const CountLayout& layout);

  // Parts of positions first ... end-1 only from the next chunk on, as the
  // counter's (BandCounter::setPositions); the parts' sums then already
  // hold an entry for every position and band.
  void setPositions(std::size_t first, std::size_t end);
  // A chunk begins: nothing counted yet.
  void startChunk();
  // The jobs `counter` counted since the chunk began or the last part
  // ended are `part`: its sums, and its sub-band sums added to `batches`.
  void finishPart(BandCounter& counter, BatchPart& part,
                  BatchSums& batches);

 private:
  const CountLayout& layout_;
  std::size_t first_ = 0;  // the positions counted
  std::size_t end_;
  std::vector<std::size_t> slotOf_;  // position -> its sub-band copies
  std::vector<double> masses_;           // at the last end
  std::vector<WeightedMoments> moments_;  // at the last end, by position
  std::vector<double> subBands_;  // at the last end, by position with them
  std::vector<std::uint64_t> dirty_;  // the sub-bands copied this chunk
  std::vector<double> now_;       // scratch
};

}  // namespace linprob

#endif  // LINPROB_SOLVE_BATCH_PARTS_H_
