// The measures of one unknown as the report files show them, one row each:
// the member it fills in results.json, its columns in Report/unknowns.csv
// and Report/bands.csv, whether the page draws it, and how its values are
// written. Every writer of those files walks these rows, so a measure is
// declared once; its null form follows from the row: a null member and
// empty cells where the unknown was not solved.
//
// Two tables: the solution measures of an unknown under a pivoting mode
// (the members of "modes[].unknowns[]", a row without a member holds
// columns only: results.json keeps those values with the system), and the
// phase measures of an unknown under a mode and family (the members of
// "families[].unknowns[]", in the order the rows give).
//
// The headers of the two tables are fixed: columns added later come last,
// so that the earlier ones keep their positions; the added measures'
// columns follow them (results/added_measure.h, output/added_measure_rows.h). Each row's columns are a
// run of neighbouring columns of its header, the key columns open the
// header, and the rows and key columns together own every column once: a
// row whose columns are not in the header fails to build (measure_rows.cc).
#ifndef LINPROB_OUTPUT_MEASURE_ROWS_H_
#define LINPROB_OUTPUT_MEASURE_ROWS_H_

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "output/csv_row.h"
#include "output/json_text.h"
#include "results/result_store.h"

namespace linprob {

// unknowns.csv: one row per system, mode, family and unknown.
inline constexpr std::array<std::string_view, 59> kUnknownColumns = {
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
// system, mode, family, unknown, jobs, condition_number, pivot_growth: the
// writer's own.
inline constexpr std::size_t kUnknownKeyColumns = 7;

// bands.csv: per solved unknown the lower tail, the bands and the upper
// tail.
inline constexpr std::array<std::string_view, 13> kBandColumns = {
    "system", "mode",    "family",       "unknown", "band",  "lower",
    "upper",  "valid",   "invalid",      "exact_linear", "truth",
    "truth_error", "valid_se"};
// system, mode, family, unknown, band, lower, upper: the writer's own.
inline constexpr std::size_t kBandKeyColumns = 7;

// The numbers per band an unknown's entry in results.json holds at most:
// its borders, and an array for each band column of bands.csv (what a
// writer holding a family's entries needs per band and unknown).
inline constexpr std::size_t kEntryNumbersPerBand =
    kBandColumns.size() - kBandKeyColumns + 1;

// Whether the page reads a member (a test holds the page's code to it).
enum class PageUse { kDrawn, kFilesOnly };

// What the solution measures of an unknown are read from.
struct SolutionView {
  const StoredSolution& solution;
  const SolutionMeasures& measures;
  const ExactReference* exact;  // none without references
  std::size_t unknown;          // input index
};

struct SolutionMeasure {
  std::string_view field;  // empty: columns only
  PageUse page;
  CsvColumns columns;      // in unknowns.csv
  json_parts::Json (*json)(const SolutionView&);
  void (*cells)(CsvRow&, const SolutionView&);
};

// Band k of a table of K bands: 0 the lower tail, 1 ... K the bands, K + 1
// the upper tail.
struct PhaseMeasure {
  std::string_view field;
  PageUse page;
  CsvColumns columns;      // in unknowns.csv
  CsvColumns bandColumns;  // in bands.csv
  json_parts::Json (*json)(const PositionResult&);
  void (*cells)(CsvRow&, const PositionResult&);
  void (*bandCells)(CsvRow&, const PositionResult&, std::size_t k);
  // The page's copy of a table of many bands: the member with `group`
  // neighbouring bands merged (results_json.h); none for a member without
  // bands.
  void (*merge)(json_parts::Json& member, const PositionResult&,
                std::size_t group);
};

std::span<const SolutionMeasure> solutionMeasures();
std::span<const PhaseMeasure> phaseMeasures();

// A run of unknowns.csv's columns after the key and the row that owns it,
// in the header's order.
struct ColumnRun {
  enum class Table { kSolution, kPhase } table;
  std::size_t row;
};
std::span<const ColumnRun> unknownColumnRuns();

}  // namespace linprob

#endif  // LINPROB_OUTPUT_MEASURE_ROWS_H_
