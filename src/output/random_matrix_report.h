// Report/random_matrix.csv, written only for a run where some system has a
// random matrix (NormalMatice.txt or UniformMatice.txt): one row per
// system, pivoting mode and family whose matrix was random, what its
// samples did:
//   system,mode,family,file,jobs,near_singular,near_singular_share,
//   pivot_changes,pivot_change_share
// (near-singular jobs are counted, not solved; a pivot change is a solved
// job whose pivots were not the mean matrix's; the shares are of the
// phase's probability). results.json
// holds the same as each such family's "random_matrix" member.
#ifndef LINPROB_OUTPUT_RANDOM_MATRIX_REPORT_H_
#define LINPROB_OUTPUT_RANDOM_MATRIX_REPORT_H_

#include <array>
#include <ostream>
#include <string_view>

#include "output/json_text.h"
#include "output/run_shape.h"
#include "results/phase_result.h"
#include "results/result_store.h"

namespace linprob {

inline constexpr std::array<std::string_view, 9> kRandomMatrixColumns = {
    "system",        "mode",          "family",
    "file",          "jobs",          "near_singular",
    "near_singular_share", "pivot_changes", "pivot_change_share"};

json_parts::Json randomMatrixJson(const RandomMatrixOutcome& random);

void writeRandomMatrixCsv(const ResultStore& store, std::ostream& out);
// Its bytes: nothing for a run without a random matrix.
double randomMatrixCsvBytes(const RunShape& shape);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_RANDOM_MATRIX_REPORT_H_
