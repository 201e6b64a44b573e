// Counting solved jobs into their bands: the inner loop of a phase's
// counting pass.
//
// CountLayout is built once per phase, after the borders are laid, and only
// read while the threads count. A BandCounter belongs to one thread. It
// counts solved blocks into the sums of the chunk it works on, and
// finishChunk hands them over as that chunk's ChunkSums.
//
// Per position with a finite range, every job's probability is added to the
// running sum of its fine sub-band (FineHistogram::subBand, kFineSubBands
// equal sub-bands over [Min, Max]), in job order. The sub-band index never
// decreases as the value grows, so a sub-band that holds no border of the
// bands lies inside one band; a job in one of the at most K - 1 sub-bands
// that hold a border is also compared with the borders and its probability
// added to the running sum of its band. At the end of a chunk, a band's mass
// is the sum of its sub-bands' sums (in sub-band order, four interleaved
// partial sums) plus its compared jobs, and, with references given, each
// sub-band's sum becomes fixed-point counts (fixedPointMass) of the fine
// histogram, kept per thread for the whole pass. The sub-bands a chunk's
// jobs fell in are marked (touched_sub_bands.h): a chunk of few jobs ends
// with work on those only. Positions whose range is
// not finite, and every position of a phase with more than
// kMaxSubBandPositions positions (the sub-band sums take 128 KiB per
// position and thread), find each job's band from a guess and the borders
// (and get no fine histogram).
//
// With references given, the weighted moments about each position's
// reference (one beyond [Min, Max] taken to its nearer end) are added in 16
// lanes, job j into lane j mod 16 (the weights'
// lanes are shared by the positions).
//
// Every sum of a chunk follows the jobs' order, so a chunk's sums do not
// depend on which thread counted it, and the chunks added in chunk order
// give the same bits for any number of threads. No allocation, copy or lock
// per job or block.
#ifndef LINPROB_SOLVE_BAND_COUNTER_H_
#define LINPROB_SOLVE_BAND_COUNTER_H_

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "distributions/job_block.h"
#include "solve/band_table.h"
#include "solve/fine_histogram.h"
#include "solve/weighted_moments.h"

namespace linprob {

inline constexpr std::size_t kMaxSubBandPositions = 512;

// Sub-bands first ... end-1 hold no border and lie in one band.
struct SubBandRange {
  std::size_t first = 0;
  std::size_t end = 0;
};

struct PositionLayout {
  const PositionBands* bands = nullptr;
  std::size_t offset = 0;  // the position's first band in the chunk sums
  // The sub-band path: min and scale as in FineHistogram, the sub-bands
  // that hold a border (one bit each), and each band's other sub-bands.
  bool subBands = false;
  double min = 0.0;
  double scale = 0.0;
  std::vector<std::uint64_t> holdsBorder;  // kFineSubBands bits
  std::vector<SubBandRange> bandSubBands;  // by band
  double reference = 0.0;                  // when accumulating
};

struct CountLayout {
  // `references` empty: masses only; else one per position.
  CountLayout(const PhaseBands& bands, const std::vector<double>& references);

  std::vector<PositionLayout> positions;
  std::size_t bandTotal = 0;  // bands of all positions
  std::size_t subBandPositions = 0;
  bool accumulate = false;
};

struct ChunkSums {
  std::vector<double> masses;            // [offset + band]
  std::vector<WeightedMoments> moments;  // by position, when accumulating
};

// counts[f] += fixedPointMass(sums[f]), then sums[f] = 0, for f < count
// (a multiple of four), four at a time.
void addFixedPointMasses(double* sums, std::size_t count,
                         std::uint64_t* counts);

class BandCounter {
 public:
  explicit BandCounter(const CountLayout& layout);
  BandCounter(const BandCounter&) = delete;
  BandCounter& operator=(const BandCounter&) = delete;
  ~BandCounter();

  // From the next chunk on, counts positions first ... end-1 only (all of
  // them at first), as if the others were not there: a chunk's positions
  // may be shared among counters, each with a range of its own, so that
  // one position's sub-band sums stay in the cache while the chunk's jobs
  // pass. The ChunkSums given to finishChunk then already hold an entry
  // for every position and band; only the range's are written.
  void setPositions(std::size_t first, std::size_t end);

  void count(const JobBlock& block);
  // Moves the current chunk's sums into `out` and starts the next chunk.
  void finishChunk(ChunkSums& out);
  // The current chunk's sums so far, leaving them as they are (a batch that
  // ends inside the chunk takes their differences, solve/batch_parts.h):
  // the band masses as finishChunk would give them now, a position's
  // kFineSubBands sub-band sums (nullptr without them), and its moments
  // (positions with references only).
  void runningMasses(std::vector<double>& out);
  const double* subBandSums(std::size_t position) const;
  // The sub-bands of `position` the current chunk's jobs fell in
  // (touched_sub_bands.h; nullptr without sub-band sums): every other
  // sub-band sum is +0.0.
  const std::uint64_t* touchedSubBands(std::size_t position) const;
  // Those touched since the caller last cleared these bits (a batch's part
  // of the chunk, solve/batch_parts.h); finishChunk clears them too.
  std::uint64_t* partTouchedSubBands(std::size_t position);
  WeightedMoments runningMoments(std::size_t position) const;
  // The fine histograms' counts of every chunk this counter finished, by
  // position (empty vectors for positions without one, and for those it
  // never counted; no vectors at all when it counted nothing). The counter
  // counts no more afterwards.
  std::vector<std::vector<std::uint64_t>> takeFineCounts() {
    return std::move(fine_);
  }

 private:
  static constexpr std::size_t kMomentLanes = 16;

  struct MomentLanes {
    double first[kMomentLanes];
    double second[kMomentLanes];
  };

  // The per-position storage, on the first block (a thread that counts no
  // chunk takes none); the sub-band sums from a pool of the process.
  void allocate();
  bool allPositions() const;

  const CountLayout& layout_;
  std::size_t first_ = 0;  // the positions counted
  std::size_t end_;
  bool allocated_ = false;
  std::vector<double> subBandSums_;  // [position slot * kFineSubBands + sub]
  std::vector<std::uint64_t> touched_;  // [slot * kSubBandWords + word]
  std::vector<std::uint64_t> partTouched_;  // as touched_
  std::vector<std::size_t> slot_;    // position -> its sub-band sums
  std::vector<double> compared_;     // [offset + band], compared jobs
  std::vector<std::int32_t> subBand_;  // the block's sub-bands, one position
  double weights_[kMomentLanes];
  std::vector<MomentLanes> moments_;  // by position
  std::vector<std::vector<std::uint64_t>> fine_;
};

}  // namespace linprob

#endif  // LINPROB_SOLVE_BAND_COUNTER_H_
