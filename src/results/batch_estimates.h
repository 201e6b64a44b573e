// What each independent batch of a sampling phase (solve/batch_sums.h)
// estimates on its own at one solution position: its mass, its moments and
// the coverage interval of its histogram. The standard errors
// (standard_errors.h) and the convergence of a phase's estimates
// (convergence.h) are made from them.
#ifndef LINPROB_RESULTS_BATCH_ESTIMATES_H_
#define LINPROB_RESULTS_BATCH_ESTIMATES_H_

#include <cstddef>
#include <optional>
#include <vector>

#include "results/coverage_interval.h"
#include "solve/band_table.h"
#include "solve/batch_sums.h"
#include "solve/weighted_moments.h"

namespace linprob {

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

}  // namespace linprob

#endif  // LINPROB_RESULTS_BATCH_ESTIMATES_H_
