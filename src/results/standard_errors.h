// The Monte Carlo standard errors u of a sampling phase's results at each
// solution position, with the coverage factor k that makes ±k·u a 95 %
// interval around each of them:
//   masses     each VALID band's mass; VALID has no tails, so theirs is 0;
//   mean, sd   of the solved values (NaN without moments);
//   coverage   both ends of the symmetric and of the shortest 95 % interval
//              (none without a histogram; an end whose error cannot be
//              given honestly is NaN, and coverageReason says why).
//
// How they are estimated depends on the phase's points (ErrorDesign
// errorDesignOf):
//   kIndependentSamples  random points: every sample is independent, so the
//       errors come from the samples themselves (sample_errors.h), at every
//       N >= 2, with k from N - 1 degrees of freedom;
//   kIndependentReplicates  sobol and lhs points: the h independent replicates
//       (scrambles, designs) are the only independent units, so the errors
//       come from their spread (replicate_errors.h), with k from h - 1.
// An error that rests on fewer degrees of freedom than the phase's k (the
// shortest interval's ends from the batches of random points) is given
// scaled by its own factor over k, so that ±k·u is 95 % for every value.
//
// standardErrors gives them by solution position: none for a position that
// solved nothing, for replicates with fewer than two replicates holding
// mass, and for independent samples with fewer than two samples.
#ifndef LINPROB_RESULTS_STANDARD_ERRORS_H_
#define LINPROB_RESULTS_STANDARD_ERRORS_H_

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "distributions/point_kinds.h"
#include "results/position_errors.h"
#include "results/batch_estimates.h"
#include "solve/band_table.h"
#include "solve/batch_sums.h"

namespace linprob {

// What a phase's errors are made from: its counted bands (with their
// moments and fine histograms), and where it has two batches or more their
// sums and estimates (phaseEstimates of both).
struct PhaseErrorInputs {
  PointKind points = PointKind::kRandom;
  const PhaseBands* bands = nullptr;
  const BatchSums* batches = nullptr;          // may be null
  const PhaseEstimates* estimates = nullptr;   // with batches
};

// The positions on up to `threads` threads (the same values for any
// number).
std::vector<std::optional<PositionErrors>> standardErrors(
    const PhaseErrorInputs& inputs, unsigned threads = 1);

}  // namespace linprob

#endif  // LINPROB_RESULTS_STANDARD_ERRORS_H_
