// RandomMatrixSource: the jobs of a phase whose matrix is random. Each job
// is a point of the family's design over n + n^2 entries, the right-hand
// side's n and then the matrix's n^2 row by row, eliminated and solved
// under the phase's pivoting mode, kBatchLanes at a time
// (linear/sample_batch.h). Its blocks
// hold solutions by the positions of the mean matrix's elimination (unknown
// columnOrder[p] at position p), so the phase replays no steps on them.
//
// A sample the singularity rule refuses is left out of its block (the
// block's count is of the solved ones, its later lanes zero): it weighs in
// no band, so the masses of a phase sum to 1 less the refused share. Per
// block the source notes the refused samples and those whose pivots differ
// from the mean matrix's, with their probabilities; refilling a block notes the same again, so the
// tallies do not depend on how often or on which thread a block is filled.
//
// fill allocates nothing once a thread has its scratch: a block of the
// points and a SampleBatch, taken from a pool under a lock per block.
#ifndef LINPROB_SOLVE_RANDOM_MATRIX_SOURCE_H_
#define LINPROB_SOLVE_RANDOM_MATRIX_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "distributions/job_source.h"
#include "linear/pivot_mode.h"

namespace linprob {

class SampleBatch;

// What a phase's samples did: refused ones, and solved ones whose pivot
// order was not the mean matrix's.
// Their masses are the sums of their jobs' probabilities in fixed point
// (fixedPointMass, 2^62 the whole), exact in any order of addition.
struct SampleTallies {
  std::uint64_t refused = 0;
  std::uint64_t pivotChanges = 0;
  std::uint64_t refusedMass = 0;
  std::uint64_t pivotChangeMass = 0;
};

// The mean matrix's elimination, as the samples' are compared with it.
struct MeanPivots {
  std::vector<unsigned> rows;     // forward pivot i's row (i: none taken)
  std::vector<unsigned> columns;  // and column
  std::vector<unsigned> positionOf;  // unknown -> its position
};

class RandomMatrixSource final : public JobSource {
 public:
  // `points` draws n + n^2 entries per job.
  RandomMatrixSource(std::unique_ptr<JobSource> points, unsigned n,
                     const PivotMode& mode, double mostCondition,
                     MeanPivots mean);
  ~RandomMatrixSource() override;

  unsigned size() const override { return n_; }
  std::uint64_t jobCount() const override { return points_->jobCount(); }
  ChunkPlan chunkPlan() const override { return points_->chunkPlan(); }
  std::uint64_t chunkJobs(std::size_t chunk) const override {
    return points_->chunkJobs(chunk);
  }
  std::uint64_t chunkBlocks(std::size_t chunk) const override {
    return points_->chunkBlocks(chunk);
  }
  void fill(std::size_t chunk, std::uint64_t k, JobBlock& block) const override;
  FamilyBox box() const override { return points_->box(); }
  std::optional<std::uint64_t> seed() const override { return points_->seed(); }
  std::optional<double> jobWeight() const override {
    return points_->jobWeight();
  }
  std::size_t batchCount() const override { return points_->batchCount(); }
  std::size_t batchOf(std::size_t chunk, std::uint64_t k) const override {
    return points_->batchOf(chunk, k);
  }
  std::uint64_t batchJobs(std::size_t batch) const override {
    return points_->batchJobs(batch);
  }

  // The tallies of the blocks filled in this process so far.
  SampleTallies tallies() const;

 private:
  struct Scratch;
  std::unique_ptr<Scratch> takeScratch() const;
  void giveBack(std::unique_ptr<Scratch> scratch) const;

  std::unique_ptr<JobSource> points_;
  unsigned n_;
  PivotMode mode_;
  double mostCondition_;
  MeanPivots mean_;
  std::vector<std::uint64_t> firstBlock_;  // by chunk
  // By block of the phase, each written by the one fill of its block at a
  // time.
  mutable std::vector<SampleTallies> tallies_;
  mutable std::mutex poolLock_;
  mutable std::vector<std::unique_ptr<Scratch>> pool_;
};

}  // namespace linprob

#endif  // LINPROB_SOLVE_RANDOM_MATRIX_SOURCE_H_
