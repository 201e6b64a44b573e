// The run's results as one JSON document (Report/results.json), for reports
// that render them: built with nlohmann-json one family of one mode at a
// time, and written without white space. Every number is written in its shortest
// round-trip form (number_text.h; nlohmann's own conversion is not always
// the shortest), and a value that does not exist or is not finite as null.
// Indices are 0-based, and every "unknown" is the unknown's input index.
//
//   program  name, version, commit (base/program_version.h; null outside a
//            git checkout)
//   run      kind ("enumeration", "sampling"), settings (the eight, as
//            used), jobs_per_phase, wall_time_seconds, export_folder
//   systems  per system: index, folder, matrix (rows as read), rhs,
//            interval_rhs, true_solution, exact_hull, condition_number, and
//            modes: per pivoting mode: mode, summary_file, pivot_growth,
//            column_order, unknowns (exact, forward_error_ulps, interval,
//            interval_overestimation) and families: per family: family,
//            jobs, seed (of a sampling phase, else null), unknowns (min, max, borders b0 ... bK,
//            valid, invalid, exact_linear, moments, expected_moments,
//            coverage_95, discrepancy, gum_validation).
// The README lists every field and when it is null.
#ifndef LINPROB_OUTPUT_RESULTS_JSON_H_
#define LINPROB_OUTPUT_RESULTS_JSON_H_

#include <ostream>

#include "results/result_store.h"
#include "results/run_info.h"

namespace linprob {

// Ends early, the document incomplete, once `out` has failed (an
// OutputBuffer's stream fails on a stop of the run).
void writeResultsJson(const RunInfo& run, const ResultStore& store,
                      std::ostream& out);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_RESULTS_JSON_H_
