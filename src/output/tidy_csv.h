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
// come last, so that the earlier ones keep their positions).
//
// sensitivity.csv: per system with an inverse, family, unknown and
// right-hand-side entry, the entry's share of the unknown's variance, its
// standard deviation alone and, in enumeration, its share under the cells'
// variances (results/variance_shares.h); a share that is missing (no
// spread, not certified; cells in sampling) is an empty cell.
#ifndef LINPROB_OUTPUT_TIDY_CSV_H_
#define LINPROB_OUTPUT_TIDY_CSV_H_

#include <array>
#include <ostream>

#include "results/result_store.h"

namespace linprob {

inline constexpr std::array<const char*, 13> kBandColumns = {
    "system", "mode",    "family",       "unknown", "band",  "lower",
    "upper",  "valid",   "invalid",      "exact_linear", "truth",
    "truth_error", "valid_se"};

inline constexpr std::array<const char*, 59> kUnknownColumns = {
    "system",
    "mode",
    "family",
    "unknown",
    "jobs",
    "condition_number",
    "pivot_growth",
    "exact",
    "true_solution",
    "forward_error_ulps",
    "interval_lower",
    "interval_upper",
    "hull_lower",
    "hull_upper",
    "interval_overestimation",
    "min",
    "max",
    "moments_mean",
    "moments_sd",
    "expected_moments_mean",
    "expected_moments_sd",
    "invalid_mean",
    "invalid_sd",
    "exact_linear_mean",
    "exact_linear_sd",
    "coverage_symmetric_lower",
    "coverage_symmetric_upper",
    "coverage_shortest_lower",
    "coverage_shortest_upper",
    "coverage_resolution",
    "invalid_total_variation",
    "invalid_max_cdf",
    "exact_linear_total_variation",
    "exact_linear_max_cdf",
    "invalid_delta",
    "invalid_d_low",
    "invalid_d_high",
    "invalid_validated",
    "exact_linear_delta",
    "exact_linear_d_low",
    "exact_linear_d_high",
    "exact_linear_validated",
    "truth_method",
    "truth_max_error",
    "valid_truth_total_variation",
    "valid_truth_max_cdf",
    "invalid_truth_total_variation",
    "invalid_truth_max_cdf",
    "exact_linear_truth_total_variation",
    "exact_linear_truth_max_cdf",
    "moments_mean_se",
    "moments_sd_se",
    "coverage_symmetric_lower_se",
    "coverage_symmetric_upper_se",
    "coverage_shortest_lower_se",
    "coverage_shortest_upper_se",
    "coverage_factor",
    "exact_bounds_lower",
    "exact_bounds_upper",
};

inline constexpr std::array<const char*, 7> kSensitivityColumns = {
    "system", "family",          "unknown",    "entry",
    "share",  "contribution_sd", "cells_share"};

void writeBandsCsv(const ResultStore& store, std::ostream& out);
void writeUnknownsCsv(const ResultStore& store, std::ostream& out);
void writeSensitivityCsv(const ResultStore& store, std::ostream& out);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_TIDY_CSV_H_
