// SampleCounter: the counting pass of a phase whose jobs all weigh the
// same w (sampling), in whole counts instead of sums of weights.
//
// Every weight of a sampling phase is 1 / N computed in float and widened,
// so its significand has at most 24 bits. Then k w is a double for every k
// below 2^29 (k times the significand stays below 2^53), and every sum and
// difference of such multiples that counting a chunk takes is exact: the
// sub-band and band sums of BandCounter, the running sums and their
// differences at the ends of a batch's part (BatchPartCounter), and their
// fixed-point counts, k w 2^62 = k fixedPointMass(w), an integer. Counting
// the jobs of each band and sub-band and multiplying at the end gives all
// of them bit for bit. countsExactly says whether that holds for a weight
// and chunks of up to a number of jobs.
//
// The moments are no sums of weights: they are added in BandCounter's 16
// lanes with its kernels (band_kernels.h), the same bits; each lane's
// weights are its jobs times w. The band of a job is the one bandIndexFrom
// gives: with up to 33 bands from comparisons with every border
// (countAbove), else from a guess and the borders.
//
// Per position counted: its jobs in each band since the last part ended
// and in the chunk; with references its moment lanes and, with sub-bands,
// its fine counts (fixedPointMass(w) a job, kept for the whole pass). With
// batches a part's jobs are also counted in the batch histogram's
// sub-bands, those it touched marked one bit each; at the part's end they
// go to the part's batch in BatchSums, with relaxed atomic steps when
// `sharedBatches` says that another thread may add to the same histogram
// at the same time.
//
// A SampleCounter belongs to one thread. It takes its storage on its first
// block and a position's counts when it first counts that position, never
// per block or job.
#ifndef LINPROB_SOLVE_SAMPLE_COUNTER_H_
#define LINPROB_SOLVE_SAMPLE_COUNTER_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "distributions/job_block.h"
#include "solve/band_counter.h"
#include "solve/batch_parts.h"
#include "solve/batch_sums.h"

namespace linprob {

// Whether chunks of up to `chunkJobs` jobs of weight `weight` each count
// exactly in whole counts (above): the weight positive and finite, its
// fixed-point count whole, and the jobs times its significand below 2^53.
bool countsExactly(double weight, std::uint64_t chunkJobs);

class SampleCounter {
 public:
  // `weight`: every job's, with countsExactly for the phase's chunks;
  // `batches`: where the batch parts' histogram counts go (nullptr without
  // batches).
  SampleCounter(const CountLayout& layout, double weight, BatchSums* batches,
                bool sharedBatches);
  SampleCounter(const SampleCounter&) = delete;
  SampleCounter& operator=(const SampleCounter&) = delete;

  // As BandCounter::setPositions, from the next chunk on.
  void setPositions(std::size_t first, std::size_t end);
  // A chunk begins: nothing of it counted yet.
  void startChunk();
  void count(const JobBlock& block);
  // The jobs counted since the chunk began or the last part ended are
  // `part` (BatchPartCounter::finishPart): its sums, and its counts added
  // to its batch's histograms.
  void finishPart(BatchPart& part);
  // The chunk's sums into `out` (BandCounter::finishChunk).
  void finishChunk(ChunkSums& out);
  // As BandCounter::takeFineCounts.
  std::vector<std::vector<std::uint64_t>> takeFineCounts();

 private:
  static constexpr std::size_t kMomentLanes = 16;
  // Up to this many borders between bands, each job is compared with all
  // of them (countAbove) instead of searched for its band.
  static constexpr std::size_t kComparedBorders = 32;

  struct MomentLanes {
    double first[kMomentLanes];
    double second[kMomentLanes];
  };
  // What guessing a job's band needs of a position.
  struct BandSearch {
    double min = 0.0;
    double inverseStep = 0.0;
    double last = 0.0;  // the last band's index
  };

  void allocate();
  bool allPositions() const;
  void countPosition(std::size_t e, const JobBlock& block);
  std::vector<std::uint64_t>& fineCountsOf(std::size_t e);
  // Position e's part counts and touched bits, in the slot of its place in
  // the positions counted.
  std::uint32_t* partCountsOf(std::size_t e);
  std::uint64_t* partTouchedOf(std::size_t e);
  // Position e's part: its counts into batch `batch`'s histogram.
  void foldPart(std::size_t e, std::size_t batch);

  WeightedMoments runningMoments(std::size_t position) const;

  const CountLayout& layout_;
  const double weight_;
  const std::uint64_t fixedWeight_;  // fixedPointMass(weight)
  BatchSums* const batches_;
  const bool sharedBatches_;
  unsigned shift_ = 0;  // fine sub-band to batch sub-band
  std::size_t first_ = 0;  // the positions counted
  std::size_t end_;
  bool allocated_ = false;
  std::vector<BandSearch> search_;        // by position
  std::vector<std::uint32_t> partBands_;  // [offset + band], since the part
  std::vector<std::uint64_t> chunkBands_; // [offset + band], parts ended
  // With batches, by position counted (e - first): the part's jobs in each
  // sub-band of the batch histogram and those they touched (one bit each).
  std::size_t batchSubBands_ = 0;
  std::size_t batchWords_ = 0;
  std::vector<std::uint32_t> partCounts_;
  std::vector<std::uint64_t> partTouched_;
  std::vector<std::int32_t> subBand_;     // the block's, one position
  std::uint32_t above_[kComparedBorders];  // one block, one position
  std::uint64_t laneJobs_[kMomentLanes];  // the chunk's jobs, by lane
  std::vector<MomentLanes> moments_;      // by position
  std::vector<WeightedMoments> partMoments_;  // at the last part's end
  std::vector<std::vector<std::uint64_t>> fine_;  // by position
};

}  // namespace linprob

#endif  // LINPROB_SOLVE_SAMPLE_COUNTER_H_
