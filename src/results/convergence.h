// Convergence: how a sampling phase's estimates of one unknown settle as its
// samples come in, from its independent batches (solve/batch_sums.h) taken
// in batch order.
//
// Point k (k = 1 ... h, h the phase's batches) is what the first k batches
// give together:
//   samples  the jobs of those batches (their sum, exact);
//   mean     the mean of their moments pooled (merged in batch order);
//   symmetricLower, symmetricUpper
//            the ends of the symmetric 95 % interval of their histograms
//            pooled (coverageInterval of the summed counts);
//   each with its standard error and the coverage factor of the point, as
//   standardErrors gives them for a phase of those batches alone: for
//   independent samples from the samples so far (the mean's from their sd,
//   the ends' by Woodruff's bound on their pooled histogram), for replicates
//   from the spread of the replicates so far (NaN at k = 1).
// The last point is the phase's own: its mean and interval ends are those
// of the phase's moments and fine histogram (the values its tables show;
// pooling every batch gives them up to the rounding of the batch sums and
// the batch histograms' coarser sub-bands), its errors and coverage factor
// those of standardErrors, bit for bit. The ends are NaN without
// histograms.
//
// convergenceSeries gives, by solution position, the points of every
// position with two batches or more holding mass and with moments (a phase
// counted with references); none for the others. It is derived from the
// batch sums, the counted bands and the phase's errors alone, so it is the
// same for any number of threads or processes.
#ifndef LINPROB_RESULTS_CONVERGENCE_H_
#define LINPROB_RESULTS_CONVERGENCE_H_

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "results/standard_errors.h"

namespace linprob {

struct RunningEstimate {
  double value = 0.0;
  double error = 0.0;  // NaN: not known yet
};

struct ConvergencePoint {
  std::uint64_t samples = 0;
  double coverageFactor = 0.0;  // NaN: not known yet
  RunningEstimate mean;
  RunningEstimate symmetricLower;
  RunningEstimate symmetricUpper;
};

// Points k = 1 ... h.
using Convergence = std::vector<ConvergencePoint>;

// inputs: with batches and estimates; errors: standardErrors(inputs);
// batchJobs: the jobs of each batch (JobSource::batchJobs). Throws
// std::invalid_argument "convergence: 3 batch job counts for 16 batches"
// unless there is one per batch. The positions on up to `threads` threads
// (the same points for any number).
std::vector<std::optional<Convergence>> convergenceSeries(
    const PhaseErrorInputs& inputs,
    const std::vector<std::optional<PositionErrors>>& errors,
    std::span<const std::uint64_t> batchJobs, unsigned threads = 1);

}  // namespace linprob

#endif  // LINPROB_RESULTS_CONVERGENCE_H_
