// What the extreme search of an enumeration phase (solve/extreme_search.h)
// costs on one thread: timed on the phase's own cells, or, for a system too
// large to time it directly, carried to its n from made-up regular systems
// of 32, 45, 64, ... unknowns by the power their times fit (calibration.h).
// Both throw PhaseStopped once `stop` is requested.
#ifndef LINPROB_COST_SEARCH_TIMING_H_
#define LINPROB_COST_SEARCH_TIMING_H_

#include <stop_token>

#include "distributions/job_source.h"
#include "linear/linear_system.h"

namespace linprob {

// The search's setup and its candidates' replays for the cells of `jobs`
// on `system`.
double searchSeconds(const JobSource& jobs, const LinearSystem& system,
                     const std::stop_token& stop);

// The search of a phase of n unknowns, from made-up systems of fewer: the
// larger the run, the nearer n the last of them, within 2 % of the run's
// `phases` phases.
double extrapolatedSearch(unsigned n, double phases,
                          const std::stop_token& stop);

}  // namespace linprob

#endif  // LINPROB_COST_SEARCH_TIMING_H_
