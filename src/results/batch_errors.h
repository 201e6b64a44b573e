// Standard errors of a sampling phase's results from the spread of
// independent batches: the chunks of a random phase, or the replicates of a
// sobol or lhs phase (PointDesign::batchOf).
//
// batchStandardError: the standard error of the weighted mean of h batch
// estimates y_r with weights w_r > 0 (a batch's probability; batches may
// differ in size),
//   ybar = sum w y / W,   u^2 = h / (h - 1) * sum (w / W)^2 (y - ybar)^2,
// W = sum w; with equal weights this is sqrt(sum (y - ybar)^2 / (h (h-1))),
// the standard deviation of the average of h independent runs. NaN with
// fewer than two batches.
//
// PhaseBatches keeps each batch's sums while the counting pass runs. Each
// solver thread still sums a chunk privately (BandCounter); the chunk's sums
// then go to the batch once:
//   addChunk       band masses and moments, in chunk order within a batch
//                  (one thread, after the pass, as the phase adds its chunks
//                  today), so the batch's sums are the same bits for any
//                  number of threads;
//   addSubBandSums the chunk's fine sub-band sums of one position, folded to
//                  the batch histogram's fewer sub-bands as fixed-point
//                  counts; any thread at any time: every count is added with
//                  one relaxed atomic step (integers, so the order does not
//                  matter); nothing else is shared;
//   fineCounts / addFineCounts: every batch histogram's counts as one array,
//                  to add another process's.
// A batch histogram has subBandsFor(positions, batches) sub-bands, the most
// (up to kFineSubBands) that keep all of them within 64 MiB; its borders are
// every 2^s-th border of the phase's fine histogram.
//
// standardErrors gives, per position (by solution position, empty without
// two batches of mass, or when the position solved nothing):
//   masses     each band's: the batch's band mass over its total mass is
//              the batch's estimate, and the error is W times that of the
//              estimates (the phase's mass is the sum over batches). VALID
//              has no tails: its bands hold every job, so their error is 0;
//   mean, sd   of the batches' WeightedMoments (NaN without moments);
//   coverage   both ends of both 95 % intervals (coverageInterval of each
//              batch histogram), without a fine histogram none.
#ifndef LINPROB_RESULTS_BATCH_ERRORS_H_
#define LINPROB_RESULTS_BATCH_ERRORS_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "solve/band_counter.h"
#include "solve/band_table.h"

namespace linprob {

double batchStandardError(std::span<const double> weights,
                          std::span<const double> estimates);

struct CoverageErrors {
  double symmetricLower = 0.0;
  double symmetricUpper = 0.0;
  double shortestLower = 0.0;
  double shortestUpper = 0.0;
};

struct PositionErrors {
  std::vector<double> masses;  // by band
  double mean = 0.0;
  double sd = 0.0;
  std::optional<CoverageErrors> coverage;
};

class PhaseBatches {
 public:
  // `layout` must outlive this. Throws std::invalid_argument "phase batches:
  // 3000 sub-bands do not divide 16384" unless subBands is a power of two
  // up to kFineSubBands.
  PhaseBatches(const CountLayout& layout, std::size_t batches,
               std::size_t subBands);

  static std::size_t subBandsFor(std::size_t positions, std::size_t batches);

  std::size_t batches() const { return batches_.size(); }
  std::size_t subBands() const { return subBands_; }

  void addChunk(std::size_t batch, const ChunkSums& chunk);
  // sums: the kFineSubBands sub-band sums of one position's chunk.
  void addSubBandSums(std::size_t batch, std::size_t position,
                      const double* sums);

  const std::vector<std::uint64_t>& fineCounts() const { return fine_; }
  void addFineCounts(const std::vector<std::uint64_t>& counts);

  // bands: the phase's counted bands (for min, max and the band counts).
  std::vector<std::optional<PositionErrors>> standardErrors(
      const PhaseBands& bands) const;

 private:
  struct Batch {
    std::vector<double> masses;            // [offset + band]
    std::vector<WeightedMoments> moments;  // by position, when accumulating
  };

  // Where the batch histogram of (batch, position) starts in fine_, or
  // SIZE_MAX when the position has none.
  std::size_t fineAt(std::size_t batch, std::size_t position) const;
  std::optional<PositionErrors> positionErrors(std::size_t position,
                                               const PositionBands& bands) const;

  const CountLayout& layout_;
  std::size_t subBands_;
  unsigned shift_;                  // log2(kFineSubBands / subBands)
  std::vector<std::size_t> slot_;   // position -> its histograms, or npos
  std::size_t slots_ = 0;
  std::vector<Batch> batches_;
  std::vector<std::uint64_t> fine_;  // [(batch * slots + slot) * subBands + k]
};

}  // namespace linprob

#endif  // LINPROB_RESULTS_BATCH_ERRORS_H_
