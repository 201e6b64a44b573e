#include "output/measure_rows.h"

#include <cstddef>
#include <optional>
#include <string_view>

#include "output/measure_cells.h"
#include "output/measure_json.h"

namespace linprob {
namespace {

using namespace json_parts;

// A measure added to PositionMeasures or SolutionMeasures stops the build
// here until a row below writes it (and this list names it); `added` the
// added measures' rows write (output/added_measure_rows.h).
[[maybe_unused]] void everyMeasureHasARow(const PositionMeasures& phase,
                                          const SolutionMeasures& solution) {
  [[maybe_unused]] const auto& [moments, expectedMoments, coverage, invalid,
                                exactLinear, exactLinearTable, truth, added] =
      phase;
  [[maybe_unused]] const auto& [forwardErrorUlps, intervalOverestimation] =
      solution;
}

constexpr CsvColumns kNoColumns;

// ---- solution measures ------------------------------------------------------

constexpr std::string_view kExact[] = {"exact"};
constexpr std::string_view kTrueSolution[] = {"true_solution"};
constexpr std::string_view kExactBounds[] = {"exact_bounds_lower",
                                             "exact_bounds_upper"};
constexpr std::string_view kForwardError[] = {"forward_error_ulps"};
constexpr std::string_view kInterval[] = {"interval_lower", "interval_upper"};
constexpr std::string_view kHull[] = {"hull_lower", "hull_upper"};
constexpr std::string_view kOverestimation[] = {"interval_overestimation"};

constexpr SolutionMeasure kSolutionRows[] = {
    {"exact", PageUse::kDrawn, kExact,
     [](const SolutionView& v) { return Json(v.solution.plainReplay); },
     [](CsvRow& row, const SolutionView& v) {
       row.number(v.solution.plainReplay);
     }},
    {"", PageUse::kFilesOnly, kTrueSolution, nullptr,
     [](CsvRow& row, const SolutionView& v) {
       row.number(v.exact ? v.exact->trueSolution[v.unknown] : std::nullopt);
     }},
    {"exact_bounds", PageUse::kDrawn, kExactBounds,
     [](const SolutionView& v) {
       return pairOf(v.solution.plainReplayLow, v.solution.plainReplayHigh);
     },
     [](CsvRow& row, const SolutionView& v) {
       row.number(v.solution.plainReplayLow)
           .number(v.solution.plainReplayHigh);
     }},
    {"forward_error_ulps", PageUse::kDrawn, kForwardError,
     [](const SolutionView& v) { return orNull(v.measures.forwardErrorUlps); },
     [](CsvRow& row, const SolutionView& v) {
       row.number(v.measures.forwardErrorUlps);
     }},
    {"interval", PageUse::kDrawn, kInterval,
     [](const SolutionView& v) {
       return pairOf(v.solution.intervalLow, v.solution.intervalHigh);
     },
     [](CsvRow& row, const SolutionView& v) {
       row.number(v.solution.intervalLow).number(v.solution.intervalHigh);
     }},
    {"", PageUse::kFilesOnly, kHull, nullptr,
     [](CsvRow& row, const SolutionView& v) {
       if (v.exact && v.exact->hull[v.unknown]) {
         row.number(v.exact->hull[v.unknown]->lower)
             .number(v.exact->hull[v.unknown]->upper);
       } else {
         row.empties(2);
       }
     }},
    {"interval_overestimation", PageUse::kDrawn, kOverestimation,
     [](const SolutionView& v) {
       return orNull(v.measures.intervalOverestimation);
     },
     [](CsvRow& row, const SolutionView& v) {
       row.number(v.measures.intervalOverestimation);
     }},
};

// ---- phase measures ---------------------------------------------------------

constexpr std::string_view kMin[] = {"min"};
constexpr std::string_view kMax[] = {"max"};
constexpr std::string_view kValidBand[] = {"valid"};
constexpr std::string_view kInvalid[] = {"invalid_mean", "invalid_sd"};
constexpr std::string_view kInvalidBand[] = {"invalid"};
constexpr std::string_view kExactLinear[] = {"exact_linear_mean",
                                             "exact_linear_sd"};
constexpr std::string_view kExactLinearBand[] = {"exact_linear"};
constexpr std::string_view kMoments[] = {"moments_mean", "moments_sd"};
constexpr std::string_view kExpectedMoments[] = {"expected_moments_mean",
                                                 "expected_moments_sd"};
constexpr std::string_view kCoverage[] = {
    "coverage_symmetric_lower", "coverage_symmetric_upper",
    "coverage_shortest_lower", "coverage_shortest_upper",
    "coverage_resolution"};
constexpr std::string_view kDiscrepancy[] = {
    "invalid_total_variation", "invalid_max_cdf",
    "exact_linear_total_variation", "exact_linear_max_cdf"};
constexpr std::string_view kValidation[] = {
    "invalid_delta",      "invalid_d_low",      "invalid_d_high",
    "invalid_validated",  "exact_linear_delta", "exact_linear_d_low",
    "exact_linear_d_high", "exact_linear_validated"};
// The truth's discrepancies sit in results.json under "discrepancy", in
// unknowns.csv beside the truth's other columns.
constexpr std::string_view kTruth[] = {
    "truth_method",
    "truth_max_error",
    "valid_truth_total_variation",
    "valid_truth_max_cdf",
    "invalid_truth_total_variation",
    "invalid_truth_max_cdf",
    "exact_linear_truth_total_variation",
    "exact_linear_truth_max_cdf"};
constexpr std::string_view kTruthBand[] = {"truth", "truth_error"};
constexpr std::string_view kErrors[] = {
    "moments_mean_se",           "moments_sd_se",
    "coverage_symmetric_lower_se", "coverage_symmetric_upper_se",
    "coverage_shortest_lower_se",  "coverage_shortest_upper_se",
    "coverage_factor"};
constexpr std::string_view kErrorsBand[] = {"valid_se"};

constexpr PhaseMeasure kPhaseRows[] = {
    {"min", PageUse::kDrawn, kMin, kNoColumns,
     [](const PositionResult& p) { return Json(p.valid.min); },
     [](CsvRow& row, const PositionResult& p) { row.number(p.valid.min); },
     nullptr, nullptr},
    {"max", PageUse::kDrawn, kMax, kNoColumns,
     [](const PositionResult& p) { return Json(p.valid.max); },
     [](CsvRow& row, const PositionResult& p) { row.number(p.valid.max); },
     nullptr, nullptr},
    {"borders", PageUse::kDrawn, kNoColumns, kNoColumns,
     [](const PositionResult& p) {
       Json borders = Json::array({p.valid.min});
       for (double border : p.valid.borders) borders.push_back(border);
       return borders;
     },
     nullptr, nullptr,
     [](Json& member, const PositionResult& p, std::size_t group) {
       const PositionBands& bands = p.valid;
       Json borders = Json::array({bands.min});
       for (std::size_t k = group; k < bands.masses.size(); k += group) {
         borders.push_back(bands.borders[k - 1]);
       }
       borders.push_back(bands.borders.back());
       member = std::move(borders);
     }},
    {"valid", PageUse::kDrawn, kNoColumns, kValidBand,
     [](const PositionResult& p) { return numbers(p.valid.masses); },
     nullptr,
     [](CsvRow& row, const PositionResult& p, std::size_t k) {
       row.number(k >= 1 && k <= bandCount(p) ? p.valid.masses[k - 1] : 0.0);
     },
     [](Json& member, const PositionResult& p, std::size_t group) {
       member = mergedNumbers(p.valid.masses, group);
     }},
    {"invalid", PageUse::kDrawn, kInvalid, kInvalidBand,
     [](const PositionResult& p) {
       return approximationJson(p.measures.invalid, p.invalid);
     },
     [](CsvRow& row, const PositionResult& p) {
       normalCells(row, p.measures.invalid);
     },
     [](CsvRow& row, const PositionResult& p, std::size_t k) {
       row.number(tableCell(p.measures.invalid.has_value(), p.invalid, k,
                            bandCount(p)));
     },
     [](Json& member, const PositionResult& p, std::size_t group) {
       mergeTable(member, p.measures.invalid.has_value(), p.invalid, p, group);
     }},
    {"exact_linear", PageUse::kDrawn, kExactLinear, kExactLinearBand,
     [](const PositionResult& p) {
       return approximationJson(p.measures.exactLinear,
                                p.measures.exactLinearTable);
     },
     [](CsvRow& row, const PositionResult& p) {
       normalCells(row, p.measures.exactLinear);
     },
     [](CsvRow& row, const PositionResult& p, std::size_t k) {
       row.number(tableCell(p.measures.exactLinear.has_value(),
                            p.measures.exactLinearTable, k, bandCount(p)));
     },
     [](Json& member, const PositionResult& p, std::size_t group) {
       mergeTable(member, p.measures.exactLinear.has_value(),
                  p.measures.exactLinearTable, p, group);
     }},
    {"moments", PageUse::kDrawn, kMoments, kNoColumns,
     [](const PositionResult& p) { return meanSdJson(p.measures.moments); },
     [](CsvRow& row, const PositionResult& p) {
       meanSdCells(row, p.measures.moments);
     },
     nullptr, nullptr},
    {"expected_moments", PageUse::kDrawn, kExpectedMoments, kNoColumns,
     [](const PositionResult& p) {
       return meanSdJson(p.measures.expectedMoments);
     },
     [](CsvRow& row, const PositionResult& p) {
       meanSdCells(row, p.measures.expectedMoments);
     },
     nullptr, nullptr},
    {"coverage_95", PageUse::kDrawn, kCoverage, kNoColumns,
     [](const PositionResult& p) { return coverageJson(p.measures.coverage); },
     [](CsvRow& row, const PositionResult& p) {
       if (const std::optional<CoverageInterval>& c = p.measures.coverage) {
         row.number(c->symmetricLower).number(c->symmetricUpper);
         row.number(c->shortestLower).number(c->shortestUpper);
         row.number(c->resolution);
       } else {
         row.empties(5);
       }
     },
     nullptr, nullptr},
    {"discrepancy", PageUse::kDrawn, kDiscrepancy, kNoColumns,
     [](const PositionResult& p) {
       const PositionMeasures& m = p.measures;
       const TruthCheck& truth = m.truth;
       return Json{{"invalid", discrepancyJson(m.invalid)},
                   {"exact_linear", discrepancyJson(m.exactLinear)},
                   {"truth",
                    Json{{"valid", discrepancyJson(truth.valid)},
                         {"invalid", discrepancyJson(truth.invalid)},
                         {"exact_linear", discrepancyJson(truth.exactLinear)}}}};
     },
     [](CsvRow& row, const PositionResult& p) {
       const auto of = [](const std::optional<ApproximationCheck>& check) {
         return check ? check->discrepancy : std::nullopt;
       };
       discrepancyCells(row, of(p.measures.invalid));
       discrepancyCells(row, of(p.measures.exactLinear));
     },
     nullptr, nullptr},
    {"gum_validation", PageUse::kDrawn, kValidation, kNoColumns,
     [](const PositionResult& p) {
       return Json{{"invalid", validationJson(p.measures.invalid)},
                   {"exact_linear", validationJson(p.measures.exactLinear)}};
     },
     [](CsvRow& row, const PositionResult& p) {
       validationCells(row, p.measures.invalid);
       validationCells(row, p.measures.exactLinear);
     },
     nullptr, nullptr},
    {"truth", PageUse::kDrawn, kTruth, kTruthBand,
     [](const PositionResult& p) { return truthJson(p.measures.truth); },
     [](CsvRow& row, const PositionResult& p) {
       truthCells(row, p.measures.truth);
     },
     [](CsvRow& row, const PositionResult& p, std::size_t k) {
       truthBandCells(row, p.measures.truth, k, bandCount(p));
     },
     // A merged band's error bound is the sum of its bands' bounds.
     [](Json& member, const PositionResult& p, std::size_t group) {
       const std::optional<TruthTable>& truth = p.measures.truth.truth;
       if (truth && truth->values.masses.size() == p.valid.masses.size()) {
         member["bands"] = mergedNumbers(truth->values.masses, group);
         member["error_bounds"]["bands"] =
             mergedNumbers(truth->errors.masses, group);
       }
     }},
    {"truth_reason", PageUse::kDrawn, kNoColumns, kNoColumns,
     [](const PositionResult& p) {
       const std::string& reason = p.measures.truth.reason;
       return reason.empty() ? Json(nullptr) : Json(reason);
     },
     nullptr, nullptr, nullptr},
    {"standard_error", PageUse::kDrawn, kErrors, kErrorsBand,
     [](const PositionResult& p) { return errorsJson(p.errors); },
     [](CsvRow& row, const PositionResult& p) { errorCells(row, p.errors); },
     [](CsvRow& row, const PositionResult& p, std::size_t k) {
       row.number(errorCell(p.errors, k, bandCount(p)));
     },
     [](Json& member, const PositionResult& p, std::size_t group) {
       if (p.errors && p.errors->masses.size() == p.valid.masses.size()) {
         member["valid"] = mergedErrors(p.errors->masses, group);
       }
     }},
    {"convergence", PageUse::kDrawn, kNoColumns, kNoColumns,
     [](const PositionResult& p) { return convergenceJson(p.convergence); },
     nullptr, nullptr, nullptr},
};

// ---- the headers' checks ------------------------------------------------------

template <typename Header>
constexpr std::size_t firstColumn(CsvColumns columns, const Header& header) {
  for (std::size_t c = 0; c < header.size(); ++c) {
    if (header[c] == columns[0]) return c;
  }
  return header.size();
}

// Whether `columns` are neighbours in `header`, in their order.
template <typename Header>
constexpr bool isRun(CsvColumns columns, const Header& header) {
  const std::size_t first = firstColumn(columns, header);
  if (first + columns.size() > header.size()) return false;
  for (std::size_t k = 0; k < columns.size(); ++k) {
    if (header[first + k] != columns[k]) return false;
  }
  return true;
}

// Whether the rows' runs and the key own every column of unknowns.csv once.
constexpr bool ownsUnknownColumnsOnce() {
  std::array<int, kUnknownColumns.size()> owners{};
  for (std::size_t c = 0; c < kUnknownKeyColumns; ++c) ++owners[c];
  const auto own = [&](CsvColumns columns) {
    if (columns.empty()) return true;
    if (!isRun(columns, kUnknownColumns)) return false;
    const std::size_t first = firstColumn(columns, kUnknownColumns);
    for (std::size_t k = 0; k < columns.size(); ++k) ++owners[first + k];
    return true;
  };
  for (const SolutionMeasure& row : kSolutionRows) {
    if (!own(row.columns)) return false;
  }
  for (const PhaseMeasure& row : kPhaseRows) {
    if (!own(row.columns)) return false;
  }
  for (int count : owners) {
    if (count != 1) return false;
  }
  return true;
}
static_assert(ownsUnknownColumnsOnce(),
              "every column of unknowns.csv belongs to one measure row");

// bands.csv is written row by row: the rows' band columns, in the rows'
// order, follow the key. (That a row with band columns writes band cells is
// a test, as above.)
constexpr bool fillsBandColumnsInOrder() {
  std::size_t next = kBandKeyColumns;
  for (const PhaseMeasure& row : kPhaseRows) {
    for (std::string_view column : row.bandColumns) {
      if (next >= kBandColumns.size() || kBandColumns[next] != column) {
        return false;
      }
      ++next;
    }
  }
  return next == kBandColumns.size();
}
static_assert(fillsBandColumnsInOrder(),
              "the band columns of the rows, in order, end bands.csv's header");

// That a row with columns writes cells and a row with a member writes it
// is a test (tests/output/measure_rows_test.cc): a function's address is
// not a constant expression under the undefined-behaviour sanitizer.

constexpr std::size_t kRunCount = [] {
  std::size_t count = 0;
  for (const SolutionMeasure& row : kSolutionRows) count += !row.columns.empty();
  for (const PhaseMeasure& row : kPhaseRows) count += !row.columns.empty();
  return count;
}();

// The rows with columns in unknowns.csv, by their first column.
constexpr std::array<ColumnRun, kRunCount> kColumnRuns = [] {
  std::array<ColumnRun, kRunCount> runs{};
  std::array<std::size_t, kRunCount> firsts{};
  std::size_t count = 0;
  const auto add = [&](ColumnRun run, CsvColumns columns) {
    std::size_t at = count++;
    const std::size_t first = firstColumn(columns, kUnknownColumns);
    for (; at > 0 && firsts[at - 1] > first; --at) {
      runs[at] = runs[at - 1];
      firsts[at] = firsts[at - 1];
    }
    runs[at] = run;
    firsts[at] = first;
  };
  for (std::size_t r = 0; r < std::size(kSolutionRows); ++r) {
    if (!kSolutionRows[r].columns.empty()) {
      add({ColumnRun::Table::kSolution, r}, kSolutionRows[r].columns);
    }
  }
  for (std::size_t r = 0; r < std::size(kPhaseRows); ++r) {
    if (!kPhaseRows[r].columns.empty()) {
      add({ColumnRun::Table::kPhase, r}, kPhaseRows[r].columns);
    }
  }
  return runs;
}();

}  // namespace

std::span<const SolutionMeasure> solutionMeasures() { return kSolutionRows; }
std::span<const PhaseMeasure> phaseMeasures() { return kPhaseRows; }
std::span<const ColumnRun> unknownColumnRuns() { return kColumnRuns; }

}  // namespace linprob
