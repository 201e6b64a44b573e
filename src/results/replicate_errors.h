// Standard errors of a phase of h independent replicates (sobol scrambles,
// lhs designs), whose points within a replicate are not independent: every
// error comes from the spread of the replicates (each one's fraction f_r of
// the mass), with k the Student factor for h - 1 degrees of freedom:
//   mean, masses  the spread of the replicates' own means and masses
//                 (batchStandardError; a mass's error times the mass W);
//   sd            the delete-a-replicate jackknife of the phase's sd
//                 (jackknifeError): the sd is not a mean of the
//                 replicates' sds;
//   symmetric ends  Woodruff's (histogram_levels.h) on the phase's fine
//                 histogram, with the error of the fraction below each end
//                 from the replicates' shares below it (their histograms),
//                 NaN while the bound would reach beyond the samples;
//   shortest ends   from the replicates as subsamples (shortest_errors.h).
#ifndef LINPROB_RESULTS_REPLICATE_ERRORS_H_
#define LINPROB_RESULTS_REPLICATE_ERRORS_H_

#include <optional>
#include <cstddef>
#include <vector>

#include "results/batch_estimates.h"
#include "results/position_errors.h"
#include "solve/band_table.h"
#include "solve/batch_sums.h"

namespace linprob {

std::optional<PositionErrors> replicateErrors(
    const PositionBands& bands, const BatchSums& batches, std::size_t position,
    const std::vector<BatchEstimate>& estimates, PointKind points);

// The error of the fraction of a position's mass below `value` from the
// spread of the batches' own shares below it (their histograms), over the
// first `batches` estimates; NaN without histograms or with fewer than two.
double replicateFractionError(const BatchSums& batches, std::size_t position,
                           const SubBandGrid& grid,
                           const std::vector<BatchEstimate>& estimates,
                           std::size_t batchesTaken, double value);

}  // namespace linprob

#endif  // LINPROB_RESULTS_REPLICATE_ERRORS_H_
