// The run's results as two tidy comma-separated tables, one observation per
// row, that pandas.read_csv and spreadsheets read without options
// (Report/bands.csv, Report/unknowns.csv). One header line each; numbers in
// their shortest round-trip form (number_text.h), a missing value as an
// empty cell, verdicts as True or False. Rows go by system, pivoting mode,
// family and unknown (input index), each in its run order.
//
// bands.csv: system,mode,family,unknown,band,lower,upper,valid,invalid,
// exact_linear,truth,truth_error; per solved unknown the row "lower_tail"
// (no lower end, upper end b0 = Min), the bands 1 ... K (b_{k-1} to b_k) and
// "upper_tail" (lower end b_K, no upper end). VALID has no tails (0). An
// approximation that is missing, or that walked fewer bands than the
// histogram has (all solved values equal), leaves its band and upper-tail
// cells empty; so does the continuous truth (results/truth_check.h), whose
// truth_error is the bound on its value's error.
//
// unknowns.csv: one row per system, mode, family and unknown with every
// scalar of that unknown (kUnknownColumns, in order; columns added later
// come last, so that the earlier ones keep their positions; then the added
// measures' columns, results/added_measure.h), empty from min on where the
// unknown was not solved.
//
// The columns of both tables after their keys are those the measure rows
// declare (measure_rows.h); a line that does not fill its header's columns
// exactly throws std::logic_error (csv_row.h).
//
// sensitivity.csv: per system with an inverse, family, unknown and
// right-hand-side entry, the entry's share of the unknown's variance, its
// standard deviation alone and, in enumeration, its share under the cells'
// variances (results/variance_shares.h); a share that is missing (no
// spread, not certified; cells in sampling) is an empty cell. Rows go by
// system, family, unknown and entry. Above kFullArraysMost unknowns
// (report_scale.h) the table keeps, per system, family and unknown, only
// the kSharesKept largest shares (where the shares are missing, the
// largest contribution_sd), largest first, ties to the lower entry, with
// one more column, rank (1 for the largest); the full matrix of shares is
// in results.nc.
#ifndef LINPROB_OUTPUT_TIDY_CSV_H_
#define LINPROB_OUTPUT_TIDY_CSV_H_

#include <array>
#include <ostream>
#include <string_view>

#include "output/measure_rows.h"
#include "output/run_shape.h"
#include "results/result_store.h"

namespace linprob {

inline constexpr std::array<std::string_view, 7> kSensitivityColumns = {
    "system", "family",          "unknown",    "entry",
    "share",  "contribution_sd", "cells_share"};
// The columns of sensitivity.csv above kFullArraysMost unknowns.
inline constexpr std::array<std::string_view, 8> kRankedSensitivityColumns = {
    "system", "family",          "unknown",     "entry",
    "share",  "contribution_sd", "cells_share", "rank"};

void writeBandsCsv(const ResultStore& store, std::ostream& out);
void writeUnknownsCsv(const ResultStore& store, std::ostream& out);
void writeSensitivityCsv(const ResultStore& store, std::ostream& out);

// The bytes of each table for a run of this shape: a row per band and tail
// of every table, per table, and per system, family, unknown and entry kept
// (every entry, or kSharesKept above kFullArraysMost unknowns), each
// filled cell of a number at kRoundTripChars.
double bandsCsvBytes(const RunShape& shape);
double unknownsCsvBytes(const RunShape& shape);
double sensitivityCsvBytes(const RunShape& shape);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_TIDY_CSV_H_
