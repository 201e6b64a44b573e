// How long the continuous truth (results/truth_check.h) of one system of a
// run takes, measured on this machine for the estimate of the run time
// (run_plan.h): the truth of one unknown whose law has the run's n parts
// (a made-up dense row of A^-1, unequal entries of both signs), for each
// family, over the run's HistogramPrecision bands laid across six standard
// deviations, timed once and scaled to n unknowns and 4 modes shared by
// min(solver threads, hardware threads) threads. The methods the truth
// picks by the law's parts and the points (continuous_truth.h) are the ones
// timed.
//
// Zero without a report (the truth is only written there) and beyond the
// references' size (no inverse, so no truth). Takes about as long as six
// unknowns' truths (two passes, the shorter counted, the release of Arb's
// caches left out); prints and writes nothing.
#ifndef LINPROB_COST_TRUTH_TIMING_H_
#define LINPROB_COST_TRUTH_TIMING_H_

#include "config/run_config.h"

namespace linprob {

double truthSecondsPerSystem(const RunConfig& config,
                             unsigned hardwareThreads);

}  // namespace linprob

#endif  // LINPROB_COST_TRUTH_TIMING_H_
