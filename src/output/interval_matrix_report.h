// The interval matrix's results (results/interval_matrix_result.h) in the
// report: a system's "interval_matrix" member of results.json, and
// Report/interval_matrix.csv, written only for a run where some system has
// an interval matrix ("IntMatice.txt").
//
// interval_matrix.csv, one row per system, method (and pivoting mode, for
// the naive elimination) and unknown of an enclosure that exists:
// system,method,mode,unknown,lower,upper,overestimation (the width over the
// reference's, empty where it is not known). Why an enclosure is missing
// is said in results.json.
#ifndef LINPROB_OUTPUT_INTERVAL_MATRIX_REPORT_H_
#define LINPROB_OUTPUT_INTERVAL_MATRIX_REPORT_H_

#include <array>
#include <ostream>
#include <string_view>

#include "output/json_text.h"
#include "output/run_shape.h"
#include "results/result_store.h"
#include "results/system_reference.h"

namespace linprob {

inline constexpr std::array<std::string_view, 7> kIntervalMatrixColumns = {
    "system", "method", "mode", "unknown", "lower", "upper", "overestimation"};

// The member of a system that has an interval matrix; each enclosure's
// bounds only when `withBounds` (the page's copy of a large system leaves
// them to the CSV file).
json_parts::Json intervalMatrixJson(const SystemReference& reference,
                                    bool withBounds);

void writeIntervalMatrixCsv(const ResultStore& store, std::ostream& out);
// Its bytes: nothing for a run without an interval matrix.
double intervalMatrixCsvBytes(const RunShape& shape);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_INTERVAL_MATRIX_REPORT_H_
