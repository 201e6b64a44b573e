// A measure added as one row (results/added_measure.h) reaches every file
// the built-in ones do, in its one null form: measured with the phase,
// then results.json's member, unknowns.csv's columns after the built-in
// ones, and results.nc's variables with the row's words.
#include "output/added_measure_rows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "output/measure_rows.h"
#include "output/netcdf_dataset.h"
#include "output/results_json.h"
#include "output/results_nc.h"
#include "output/tidy_csv.h"
#include "results/phase_measures.h"
#include "solve/band_table.h"
#include "support/csv_cells.h"
#include "support/opened_nc_file.h"

namespace linprob {
namespace {

using testing_support::csvCells;
using testing_support::OpenedFile;

// The width of the solved values' range; their ends, the upper written as
// infinity (which is no value, so it stays unset).
constexpr AddedColumn kWidth[] = {
    {"solved_width", "width of the solved values' range", "units of x"}};
constexpr AddedColumn kEnds[] = {
    {"solved_low", "least solved value", "units of x"},
    {"solved_high", "largest solved value", "units of x"}};

constexpr AddedMeasure kRows[] = {
    {"width", kWidth,
     [](const PositionResult& p, const FamilyReference*,
        std::span<std::optional<double>> values) {
       values[0] = p.valid.max - p.valid.min;
     }},
    {"ends", kEnds,
     [](const PositionResult& p, const FamilyReference*,
        std::span<std::optional<double>> values) {
       values[0] = p.valid.min;
       values[1] = HUGE_VAL;
     }},
};

// One system of two unknowns under the first mode: unknown 0 solved over
// [1, 3] in every family, unknown 1 not solved.
ResultStore measuredStore() {
  ResultStore store(2, 1, kRows);
  SystemResult result;
  result.columnOrder = {0, 1};
  result.plainReplay = {2.0, 0.0};
  result.plainReplayBounds = {Interval(2.0), Interval(0.0)};
  result.interval = {Interval(1.0, 3.0), Interval(0.0)};
  for (const FamilyInfo& family : kFamilies) {
    if (!requiredFamilies().test(static_cast<std::size_t>(family.family))) continue;
    PhaseBands bands(2);
    bands[0].count = 8;
    bands[0].min = 1.0;
    bands[0].max = 3.0;
    layBorders(bands[0], 4);
    for (double& mass : bands[0].masses) mass = 0.25;
    PhaseResult phase = makePhaseResult(family.family, std::move(bands),
                                        {{2.0, 0.3}, {0.0, 0.0}}, {0, 1});
    measurePhase(phase, SystemReference{}, {}, 1, kRows);
    result.phases.push_back(std::move(phase));
  }
  store.add(result);
  return store;
}

TEST(AddedMeasureRowsTest, MeasuredWithThePhaseUnsetValuesStayUnset) {
  const ResultStore store = measuredStore();
  const PositionResult* solved = store.phase(0, 0, 0, Family::kNormal);
  const PositionResult* unsolved = store.phase(1, 0, 0, Family::kNormal);
  ASSERT_NE(solved, nullptr);
  ASSERT_NE(unsolved, nullptr);
  EXPECT_EQ(solved->measures.added,
            (std::vector<std::optional<double>>{2.0, 1.0, std::nullopt}));
  EXPECT_TRUE(unsolved->measures.added.empty());
  // Read with other rows (the program's, none), a position's values are
  // none rather than misread.
  EXPECT_FALSE(addedValues(solved->measures, kRows, 0) == std::nullopt);
  EXPECT_EQ(addedValues(solved->measures, std::span<const AddedMeasure>(kRows, 1), 0),
            std::nullopt);
}

TEST(AddedMeasureRowsTest, ResultsJsonHasEachRowsMemberLast) {
  std::ostringstream out;
  writeResultsJson(RunInfo{}, measuredStore(), out);
  const auto doc = nlohmann::ordered_json::parse(out.str());
  const auto& unknowns = doc["systems"][0]["modes"][0]["families"][0]["unknowns"];
  const auto& solved = unknowns[0];
  EXPECT_EQ(solved["width"], 2.0);
  EXPECT_EQ(solved["ends"], nlohmann::ordered_json::parse(
                                R"({"solved_low": 1.0, "solved_high": null})"));
  std::vector<std::string> keys;
  for (const auto& item : solved.items()) keys.push_back(item.key());
  ASSERT_GE(keys.size(), 2u);
  EXPECT_EQ(keys[keys.size() - 2], "width");
  EXPECT_EQ(keys.back(), "ends");
  EXPECT_TRUE(unknowns[1]["width"].is_null());
  EXPECT_TRUE(unknowns[1]["ends"].is_null());
  // The rows, for the page to list them by their words.
  const auto& rows = doc["added_measures"];
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1]["field"], "ends");
  EXPECT_EQ(rows[1]["columns"][0],
            nlohmann::ordered_json::parse(
                R"({"name": "solved_low", "long_name": "least solved value",
                    "units": "units of x"})"));
}

TEST(AddedMeasureRowsTest, UnknownsCsvHasTheColumnsAfterTheBuiltInOnes) {
  std::ostringstream out;
  writeUnknownsCsv(measuredStore(), out);
  std::istringstream lines(out.str());
  std::string header, solved, unsolved;
  std::getline(lines, header);
  std::getline(lines, solved);
  std::getline(lines, unsolved);
  const std::vector<std::string> names = csvCells(header);
  ASSERT_EQ(names.size(), kUnknownColumns.size() + 3);
  EXPECT_EQ(names[kUnknownColumns.size() - 1], kUnknownColumns.back());
  EXPECT_EQ(std::vector<std::string>(names.end() - 3, names.end()),
            (std::vector<std::string>{"solved_width", "solved_low", "solved_high"}));
  const std::vector<std::string> cells = csvCells(solved);
  ASSERT_EQ(cells.size(), names.size());
  EXPECT_EQ(std::vector<std::string>(cells.end() - 3, cells.end()),
            (std::vector<std::string>{"2", "1", ""}));
  const std::vector<std::string> empty = csvCells(unsolved);
  ASSERT_EQ(empty.size(), names.size());
  EXPECT_EQ(std::vector<std::string>(empty.end() - 3, empty.end()),
            (std::vector<std::string>{"", "", ""}));
}

TEST(AddedMeasureRowsTest, ResultsNcHasAVariablePerColumn) {
  const ResultStore store = measuredStore();
  std::ostringstream out;
  writeResultsNc(RunInfo{}, store, out);
  const OpenedFile file(out.str());
  // (system, mode, family, unknown): the first table's two unknowns.
  const std::size_t tables = kPivotModeCount * store.analysedFamilies().size() * 2;
  EXPECT_EQ(file.doubles("solved_width", tables)[0], 2.0);
  EXPECT_EQ(file.doubles("solved_low", tables)[0], 1.0);
  EXPECT_EQ(file.doubles("solved_high", tables)[0], kNetcdfFillDouble);
  EXPECT_EQ(file.doubles("solved_width", tables)[1], kNetcdfFillDouble);
  // The row's words, not its name.
  EXPECT_EQ(file.text("solved_width"), "width of the solved values' range");
}

}  // namespace
}  // namespace linprob
