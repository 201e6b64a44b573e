// Report/results.nc: every array of the run in one NetCDF-4 file, labelled,
// for xarray, netCDF4, h5py, MATLAB, Julia or R (docs/outputs.md lists it).
//
// Dimensions: system, mode (the four pivoting modes), family, unknown (input
// index), entry (right-hand-side entry), band (1 ... K, K the most bands of
// any table), border (0 ... K), batch (the running estimates) and round
// (the rounds of a --digits phase), each with
// a coordinate variable of the same name. Every variable has a long_name
// and, for numbers, units (nc_variables.h); a missing value is the fill
// value (_FillValue), and where a reason is given for it, a string variable
// "<name>_reason" holds it.
//
//   per system              folder, rhs, interval_rhs_lower/_upper,
//                           true_solution, exact_hull_lower/_upper (over
//                           unknown), condition_number and its enclosure,
//                           condition_level, condition_text, the reasons;
//                           inverse_lower/_upper (unknown, entry) and
//                           share, cells_share (family, unknown, entry)
//                           where the certified inverse was computed
//   per system and mode     pivot_growth, column_order (unknown), and each
//                           solution column of unknowns.csv (unknown)
//   per phase               jobs, seed, digits, digits_most_samples,
//                           digits_rule_met, digits_round_samples (round)
//   per phase and unknown   each measure column of unknowns.csv, band_count,
//                           truth_reason, borders (border), each band column
//                           of bands.csv over band with its tails apart
//                           (<name>_lower_tail, <name>_upper_tail), and the
//                           running estimates convergence_* (batch)
//
// The columns' values are taken through the very cells the CSV files write
// (measure_rows.h), so each number equals its text there bit for bit; a
// verdict is a byte (0 false, 1 true), a text a string. Global attributes:
// the program's name, version and commit, the run's kind, points, jobs per
// phase, export folder and seed, and each setting as used but the solver
// threads (no wall time, no thread count: the file is the same for the
// same inputs and seed at any thread or process count).
//
// Compressed (deflate with shuffle), chunked along unknowns: the shares of
// a few unknowns of every family in one chunk. Built in memory and written
// to `out` in one piece. Throws std::runtime_error when the NetCDF library
// fails.
#ifndef LINPROB_OUTPUT_RESULTS_NC_H_
#define LINPROB_OUTPUT_RESULTS_NC_H_

#include <ostream>

#include "output/run_shape.h"
#include "results/result_store.h"
#include "results/run_info.h"

namespace linprob {

void writeResultsNc(const RunInfo& run, const ResultStore& store,
                    std::ostream& out);

// The file's bytes for a run of `shape`: every number at its 8 bytes
// before compression but a band's at 6 (deflate takes a quarter of those
// off at least; of the rest, from nothing to two thirds), each string 16,
// and about 4 kB a variable for its header and chunk index. Also what the
// writer holds in memory: the file is built there.
double resultsNcBytes(const RunShape& shape);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_RESULTS_NC_H_
