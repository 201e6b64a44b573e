// Standard errors of a sampling phase's results from the spread of its
// independent batches (solve/batch_sums.h).
//
// batchStandardError: the standard error of the weighted mean of h batch
// estimates y_r with weights w_r > 0 (a batch's probability; batches may
// differ in size),
//   ybar = sum w y / W,   u^2 = h / (h - 1) * sum (w / W)^2 (y - ybar)^2,
// W = sum w; with equal weights this is sqrt(sum (y - ybar)^2 / (h (h-1))),
// the standard deviation of the average of h independent runs. NaN with
// fewer than two batches.
//
// standardErrors gives, per position (by solution position; none when the
// position solved nothing or fewer than two batches hold mass):
//   masses     each band's: a batch's band mass over its total mass is the
//              batch's estimate, and the error is W times that of the
//              estimates (the phase's mass is the sum over batches). VALID
//              has no tails (its bands hold every job), so theirs is 0;
//   mean, sd   of the batches' weighted moments (NaN without moments);
//   coverage   both ends of both 95 % intervals, coverageInterval of each
//              batch histogram (none without histograms).
// The phase's own values come from all samples at once; for the mean and
// the masses that is the weighted mean of the batches' estimates, for the
// sd and the interval ends nearly so, and the spread of the batches'
// estimates stands for theirs.
#ifndef LINPROB_RESULTS_BATCH_ERRORS_H_
#define LINPROB_RESULTS_BATCH_ERRORS_H_

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "results/coverage_interval.h"
#include "solve/band_table.h"
#include "solve/batch_sums.h"
#include "solve/weighted_moments.h"

namespace linprob {

double batchStandardError(std::span<const double> weights,
                          std::span<const double> estimates);

// What one batch that holds mass at a position estimates there: its weight
// is that mass (the sum of its band masses, in band order); its moments
// when the phase has them; the coverage interval of its histogram when it
// has one that holds mass.
struct BatchEstimate {
  std::size_t batch = 0;
  double weight = 0.0;
  std::optional<WeightedMoments> moments;
  std::optional<CoverageInterval> coverage;
};

// The batches with mass at `position` (bands: its counted bands), in batch
// order.
std::vector<BatchEstimate> batchEstimates(const BatchSums& batches,
                                          std::size_t position,
                                          const PositionBands& bands);
// Those of every position, by solution position (none for a position that
// solved nothing), for standardErrors and convergenceSeries to share; the
// positions on up to `threads` threads (the same values for any number).
using PhaseEstimates = std::vector<std::vector<BatchEstimate>>;
PhaseEstimates phaseEstimates(const BatchSums& batches,
                              const PhaseBands& bands, unsigned threads = 1);

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

// bands: the phase's counted bands, by solution position; estimates:
// phaseEstimates of both (found here when not given).
std::vector<std::optional<PositionErrors>> standardErrors(
    const BatchSums& batches, const PhaseBands& bands);
std::vector<std::optional<PositionErrors>> standardErrors(
    const BatchSums& batches, const PhaseBands& bands,
    const PhaseEstimates& estimates, unsigned threads = 1);

}  // namespace linprob

#endif  // LINPROB_RESULTS_BATCH_ERRORS_H_
