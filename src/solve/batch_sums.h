// BatchSums: the sums of each independent batch of a sampling phase (the
// chunks of a random phase, the replicates of a sobol or lhs phase;
// PointDesign::batchOf), kept while the counting pass runs, for the
// standard errors of its results (results/standard_errors.h).
//
// Each solver thread still sums a chunk privately (BandCounter); the chunk's
// sums then go to its batch once:
//   addChunk        band masses and moments, in chunk order within a batch
//                   (one thread, after the pass, as the phase adds its
//                   chunks), so a batch's sums are the same bits for any
//                   number of threads or processes;
//   addSubBandChanges  the chunk's kFineSubBands sub-band sums of one
//                   position since a running sum's last end,
//                   as fixed-point counts (fixedPointMass) folded into the
//                   batch histogram's fewer sub-bands; any thread at any
//                   time: each count is added with one relaxed atomic step
//                   (integers, so the order does not matter), nothing else
//                   is shared;
//   fineCounts / addFineCounts: every batch histogram's counts as one array,
//                   to add another process's.
// A batch histogram covers the position's [min, max] in subBands sub-bands
// (subBandsFor: the most, up to kFineSubBands, that keep all of them within
// 64 MiB), so its borders are every 2^s-th border of the phase's fine
// histogram; positions without a fine histogram have none. Copies what it
// needs of the layout, so it may outlive it.
#ifndef LINPROB_SOLVE_BATCH_SUMS_H_
#define LINPROB_SOLVE_BATCH_SUMS_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "solve/band_counter.h"
#include "solve/fine_histogram.h"
#include "solve/weighted_moments.h"

namespace linprob {

class BatchSums {
 public:
  // Throws std::invalid_argument "batch sums: 3000 sub-bands do not divide
  // 16384" unless subBands is a power of two up to kFineSubBands.
  BatchSums(const CountLayout& layout, std::size_t batches,
            std::size_t subBands);

  static std::size_t subBandsFor(std::size_t positions, std::size_t batches);

  std::size_t batches() const { return masses_.size(); }
  std::size_t subBands() const { return subBands_; }

  void addChunk(std::size_t batch, const ChunkSums& chunk);
  // The chunk's sums added since `before` (sums[f] - before[f], the part's
  // own sums up to rounding; all of them for a `before` of zeros), over
  // the sub-bands marked in `touched` (those the part touched,
  // BandCounter::partTouchedSubBands: the others did not change);
  // `before` becomes `sums` there.
  void addSubBandChanges(std::size_t batch, std::size_t position,
                         const double* sums, const std::uint64_t* touched,
                         double* before);
  const std::vector<std::uint64_t>& fineCounts() const { return fine_; }
  void addFineCounts(const std::vector<std::uint64_t>& counts);
  // Replaces them (another process's added in); throws as addFineCounts.
  void setFineCounts(std::vector<std::uint64_t> counts);

  // Batch b's masses of position e's bands (offset + band, as ChunkSums).
  const double* masses(std::size_t batch, std::size_t position) const {
    return masses_[batch].data() + offsets_[position];
  }
  // Batch b's moments by position; empty without references.
  const std::vector<WeightedMoments>& moments(std::size_t batch) const {
    return moments_[batch];
  }
  // Batch b's histogram of position e as it is kept: subBands() counts
  // over [min, max] in subBands() sub-bands; empty where it has none.
  std::span<const std::uint64_t> counts(std::size_t batch,
                                        std::size_t position) const;
  // The same to add to (nullptr where it has none): a counter of whole
  // counts (sample_counter.h) adds its parts' counts here itself, with
  // relaxed atomic steps where another thread may add at the same time.
  std::uint64_t* countsToAdd(std::size_t batch, std::size_t position);

 private:
  // Where the histogram of (batch, position) starts in fine_, or SIZE_MAX.
  std::size_t fineAt(std::size_t batch, std::size_t position) const;

  std::size_t subBands_;
  unsigned shift_;                     // log2(kFineSubBands / subBands)
  std::vector<std::size_t> offsets_;   // position -> its first band
  std::vector<std::size_t> slot_;      // position -> its histograms
  std::size_t slots_ = 0;
  std::vector<std::vector<double>> masses_;            // by batch
  std::vector<std::vector<WeightedMoments>> moments_;  // by batch
  std::vector<std::uint64_t> fine_;  // [(batch * slots + slot) * subBands + k]
};

}  // namespace linprob

#endif  // LINPROB_SOLVE_BATCH_SUMS_H_
