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
//   each with its standard error, batchStandardError over those batches
//   that hold mass (weights and estimates as standardErrors takes them),
//   NaN while fewer than two of them do (always at k = 1).
// The last point is the phase's own: its mean and interval ends are those
// of the phase's moments and fine histogram (the values its tables show;
// pooling every batch gives them up to the rounding of the batch sums and
// the batch histograms' coarser sub-bands), its errors those of
// standardErrors, bit for bit. The ends are NaN without histograms.
//
// convergenceSeries gives, by solution position, the points of every
// position that standardErrors gives errors for and that has moments (a
// phase counted with references); none for the others. It is derived from the batch sums and
// the counted bands alone, so it is the same for any number of threads or
// processes.
#ifndef LINPROB_RESULTS_CONVERGENCE_H_
#define LINPROB_RESULTS_CONVERGENCE_H_

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "results/batch_errors.h"
#include "solve/band_table.h"
#include "solve/batch_sums.h"

namespace linprob {

struct RunningEstimate {
  double value = 0.0;
  double error = 0.0;  // NaN: not known yet
};

struct ConvergencePoint {
  std::uint64_t samples = 0;
  RunningEstimate mean;
  RunningEstimate symmetricLower;
  RunningEstimate symmetricUpper;
};

// Points k = 1 ... h.
using Convergence = std::vector<ConvergencePoint>;

// estimates: phaseEstimates(batches, bands); batchJobs: the jobs of each
// batch (JobSource::batchJobs). Throws std::invalid_argument "convergence:
// 3 batch job counts for 16 batches" unless there is one per batch. The
// positions on up to `threads` threads (the same points for any number).
std::vector<std::optional<Convergence>> convergenceSeries(
    const BatchSums& batches, const PhaseBands& bands,
    const PhaseEstimates& estimates,
    std::span<const std::uint64_t> batchJobs, unsigned threads = 1);

}  // namespace linprob

#endif  // LINPROB_RESULTS_CONVERGENCE_H_
