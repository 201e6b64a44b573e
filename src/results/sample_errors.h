// Standard errors of a phase of independent samples of equal weight
// (random points), from the samples themselves, at every N >= 2 (N the
// position's samples, W its mass, k the Student factor for N - 1 degrees
// of freedom):
//   mean     s / sqrt(N - 1), s the sd of the solved values;
//   sd       sqrt((m4 - s^4) / (4 s^2 (N - 3)) + (3 s / (4 N))^2): the
//            delta method's, m4 the fourth central moment read off the fine
//            histogram, with the sd's own bias (about -3 s / (4 N)) added;
//            without a histogram, the jackknife of the batches' sums
//            (jackknifeError); NaN below four samples;
//   masses   W sqrt(q (1 - q) / N) with q = (c + 2) / (N + 4), c the band's
//            samples: Agresti and Coull's adjusted proportion, so that a band
//            with few samples or none still gets an error that covers its
//            mass (the plain sqrt(p (1 - p) / N) is 0 there);
//   symmetric ends  Woodruff's (histogram_levels.h) on the fine histogram,
//            the fraction below the 2.5 % (97.5 %) point having the binomial
//            error sqrt(p (1 - p) / N); NaN while the bound would reach
//            beyond the samples (fewer than about 220 of them);
//   shortest ends   from the batches (shortest_errors.h); NaN with fewer
//            than two batches of kFewestSubsampleJobs samples.
// An error with its own degrees of freedom (the jackknife's, the
// subsampling's) is scaled by its factor over k.
#ifndef LINPROB_RESULTS_SAMPLE_ERRORS_H_
#define LINPROB_RESULTS_SAMPLE_ERRORS_H_

#include <optional>
#include <vector>

#include "results/batch_estimates.h"
#include "results/position_errors.h"
#include "solve/band_table.h"
#include "solve/batch_sums.h"

namespace linprob {

// estimates: the position's batch estimates, or null without batches.
std::optional<PositionErrors> independentSampleErrors(
    const PositionBands& bands, const BatchSums* batches,
    std::size_t position, const std::vector<BatchEstimate>* estimates);

}  // namespace linprob

#endif  // LINPROB_RESULTS_SAMPLE_ERRORS_H_
