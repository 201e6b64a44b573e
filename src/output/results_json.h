// The run's results as one JSON document (Report/results.json), for reports
// that render them: built with nlohmann-json, one system at a time, and
// written without white space. Every number is written in its shortest
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
//            jobs, seed (of a sampling phase, else null), digits (how a
//            --digits phase ended, else null), unknowns (min, max, borders
//            b0 ... bK, valid, invalid, exact_linear, moments,
//            expected_moments, coverage_95, discrepancy, gum_validation,
//            standard_error, convergence).
// docs/outputs.md lists every field and when it is null.
//
// Above kFullArraysMost unknowns (report_scale.h) results.json is short:
// each system's matrix and shares are null with "matrix_reason" and
// "sensitivity_reason", it has "worst_unknowns" (up to kFullArraysMost, as
// worstUnknowns orders them) and "tables_reason", and every table is its
// summary (tableSummaryJson); results.nc holds the arrays.
//
// The copy of the document that a report page embeds (page_document.h)
// holds the systems its form names; the index page's copy ends with
// "system_list" when it leaves systems to pages of their own, and the copy
// on a system's own page has "own_page" after "run". The copy may merge
// bands (its mostBands above 0): the table of an unknown with K > mostBands
// bands then holds g = ceil(K / mostBands) neighbouring bands in each of
// its ceil(K / g) bands (the last one takes what is left): the borders b0,
// b_g, b_2g, ..., bK, the VALID, INVALID and exact linear masses of each
// group summed in band order, and two more fields, band_count K and
// merged_bands g. Tails, moments and every measure stay those of the full
// table. A table of at most mostBands bands is written as results.json has
// it.
//
// Memory: the document is written one family of one mode at a time; only
// that part is ever held as JSON values.
#ifndef LINPROB_OUTPUT_RESULTS_JSON_H_
#define LINPROB_OUTPUT_RESULTS_JSON_H_

#include <cstddef>
#include <ostream>

#include "results/result_store.h"
#include "results/run_info.h"

namespace linprob {

// `page` null: results.json, every value; else the page's copy in that
// form. Ends early, the document incomplete, once `out` has failed (an
// OutputBuffer's stream fails on a stop of the run).
struct PageForm;
void writeResultsJson(const RunInfo& run, const ResultStore& store,
                      std::ostream& out, const PageForm* page = nullptr);

// The bands a chart of the page draws at most, when the page shows `tables`
// tables in all (systems x modes x families x unknowns): kPageBandsPerChart,
// or fewer, down to kFewestPageBands, so that the page's tables hold at most
// about kPageBands bands together.
inline constexpr std::size_t kPageBandsPerChart = 2000;
inline constexpr std::size_t kFewestPageBands = 50;
inline constexpr std::size_t kPageBands = 1000000;
std::size_t pageBandsPerChart(std::size_t tables);

// The bytes of `system` in the page's copy with every table a summary:
// what a page holds of a system besides its full tables.
std::size_t pageSystemBytes(const ResultStore& store, int system);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_RESULTS_JSON_H_
