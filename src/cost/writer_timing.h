// How long the end of every phase and the writers take for one system of a
// run, measured on this machine for the estimate of the run time
// (run_plan.h): the measures of each phase (its normal tables over the
// bands, its coverage intervals), the summary files, the CSV export and the
// report (each file of its table, report_folder.h, and the page), all of
// which grow with the bands.
//
// Measured on a made-up result of min(n, 16) unknowns whose tables have the
// run's HistogramPrecision bands (or, for large tables, fewer: the time per
// band then comes from two sizes), written to a stream that keeps nothing,
// and scaled to the run's n unknowns; the system's own matrix, which
// results.json and the page each write once, is timed apart. The made-up
// system has certified references when the run's systems can have them
// (kMaxCertifiedSize). Takes a few tens of milliseconds; prints and writes
// nothing.
#ifndef LINPROB_COST_WRITER_TIMING_H_
#define LINPROB_COST_WRITER_TIMING_H_

#include <vector>

#include "config/run_config.h"

namespace linprob {

// `matrix`: the first system's matrix (n x n, row by row), as read.
double writerSecondsPerSystem(const RunConfig& config,
                              const std::vector<double>& matrix);

}  // namespace linprob

#endif  // LINPROB_COST_WRITER_TIMING_H_
