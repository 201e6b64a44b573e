// The measure rows against what reads them: the page's renderer, and the
// tables whose columns a forgotten or extra cell would shift.
#include "output/measure_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "output/csv_row.h"
#include "output/report_text.h"
#include "output/results_json.h"
#include "output/tidy_csv.h"
#include "support/csv_cells.h"
#include "support/many_systems.h"

namespace linprob {
namespace {

using testing_support::csvCells;

std::string pageScript() {
  return std::string(reinterpret_cast<const char*>(report_text::reportJs),
                     report_text::reportJsSize) +
         std::string(reinterpret_cast<const char*>(report_text::truthJs),
                     report_text::truthJsSize);
}

// Whether the script reads `field` as a member: ".field" not followed by
// more of a name.
bool readsMember(const std::string& script, std::string_view field) {
  const std::string member = "." + std::string(field);
  for (std::size_t at = script.find(member); at != std::string::npos;
       at = script.find(member, at + 1)) {
    const std::size_t end = at + member.size();
    const char next = end < script.size() ? script[end] : ' ';
    if (!std::isalnum(static_cast<unsigned char>(next)) && next != '_') {
      return true;
    }
  }
  return false;
}

// A row with columns writes cells, a row with a member writes it: a row
// that forgot either would leave its columns empty or its member out.
TEST(MeasureRowsTest, EveryRowWritesWhatItDeclares) {
  for (const SolutionMeasure& row : solutionMeasures()) {
    EXPECT_EQ(row.cells == nullptr, row.columns.empty()) << row.field;
    EXPECT_EQ(row.json == nullptr, row.field.empty()) << row.field;
  }
  for (const PhaseMeasure& row : phaseMeasures()) {
    EXPECT_EQ(row.cells == nullptr, row.columns.empty()) << row.field;
    EXPECT_EQ(row.bandCells == nullptr, row.bandColumns.empty()) << row.field;
    EXPECT_FALSE(row.field.empty());
    EXPECT_NE(row.json, nullptr) << row.field;
  }
}

TEST(MeasureRowsTest, ThePageReadsEveryMemberItDrawsAndNoOther) {
  const std::string script = pageScript();
  for (const SolutionMeasure& row : solutionMeasures()) {
    if (row.field.empty()) continue;
    EXPECT_EQ(readsMember(script, row.field), row.page == PageUse::kDrawn)
        << row.field;
  }
  for (const PhaseMeasure& row : phaseMeasures()) {
    EXPECT_EQ(readsMember(script, row.field), row.page == PageUse::kDrawn)
        << row.field;
  }
  // The added measures, by the list of them.
  EXPECT_TRUE(readsMember(script, "added_measures"));
}

// The page calls an unknown's entry in a family `entry` throughout: every
// member it reads of one is a row's, or one the page's copy adds (a large
// table's merged bands; the summary of an unknown drawn without tables,
// page_document.h). A member read that no writer writes is undefined on
// the page, silently.
TEST(MeasureRowsTest, EveryMemberThePageReadsOfAnEntryIsWritten) {
  const std::string script = pageScript();
  std::vector<std::string> written = {"unknown", "band_count", "merged_bands",
                                      "total_variation", "validated"};
  for (const PhaseMeasure& row : phaseMeasures()) {
    written.emplace_back(row.field);
  }
  const std::string prefix = "entry.";
  std::size_t reads = 0;
  for (std::size_t at = script.find(prefix); at != std::string::npos;
       at = script.find(prefix, at + 1)) {
    if (at > 0 && (std::isalnum(static_cast<unsigned char>(script[at - 1])) ||
                   script[at - 1] == '_' || script[at - 1] == '.')) {
      continue;
    }
    std::size_t end = at + prefix.size();
    while (end < script.size() &&
           (std::isalnum(static_cast<unsigned char>(script[end])) ||
            script[end] == '_')) {
      ++end;
    }
    const std::string member =
        script.substr(at + prefix.size(), end - at - prefix.size());
    if (member.empty()) continue;
    ++reads;
    EXPECT_NE(std::find(written.begin(), written.end(), member), written.end())
        << "the page reads entry." << member;
  }
  EXPECT_GT(reads, 20u);
}

TEST(MeasureRowsTest, ALineOfAnotherCellCountThanItsHeaderIsRefused) {
  std::ostringstream out;
  CsvRow fewer(3);
  fewer.number(1.0).empty();
  EXPECT_THROW(fewer.writeTo(out), std::logic_error);
  CsvRow more(1);
  more.text("a").verdict(true);
  EXPECT_THROW(more.writeTo(out), std::logic_error);
  EXPECT_EQ(out.str(), "");
  CsvRow exact(3);
  exact.number(0.5).empty().verdict(false);
  exact.writeTo(out);
  EXPECT_EQ(out.str(), "0.5,,False\n");
}

// The cells of every line of a table by column name.
std::vector<std::map<std::string, std::string>> linesByName(
    const std::string& table) {
  std::istringstream in(table);
  std::string line;
  std::getline(in, line);
  const std::vector<std::string> header = csvCells(line);
  std::vector<std::map<std::string, std::string>> lines;
  while (std::getline(in, line)) {
    const std::vector<std::string> cells = csvCells(line);
    EXPECT_EQ(cells.size(), header.size()) << line;
    std::map<std::string, std::string>& named = lines.emplace_back();
    for (std::size_t c = 0; c < cells.size() && c < header.size(); ++c) {
      named[header[c]] = cells[c];
    }
  }
  return lines;
}

// One system of one unknown under the first mode: the Uniform phase solved
// nothing, the others a table of two bands with their standard errors.
ResultStore storeWithAnUnsolvedPhase() {
  SystemResult result = testing::evenSystem(1, 2, 16);
  result.plainReplay = {0.25};
  result.plainReplayBounds = {Interval(0.125, 0.375)};
  result.interval = {Interval(-1.0, 2.0)};
  for (PhaseResult& phase : result.phases) {
    PositionResult& position = phase.positions[0];
    if (phase.family == Family::kUniform) {
      position = PositionResult{};
      continue;
    }
    PositionErrors errors;
    errors.masses = {0.125, 0.0625};
    errors.mean = 0.01;
    errors.sd = 0.02;
    errors.coverageFactor = 2.5;
    position.errors = errors;
  }
  ResultStore store(1, 1);
  store.add(result);
  return store;
}

TEST(MeasureRowsTest, EveryColumnHoldsTheValueItIsNamedFor) {
  const ResultStore store = storeWithAnUnsolvedPhase();
  std::ostringstream unknowns;
  writeUnknownsCsv(store, unknowns);
  const auto lines = linesByName(unknowns.str());
  ASSERT_EQ(lines.size(), requiredFamilies().count());
  for (const auto& line : lines) {
    EXPECT_EQ(line.at("exact"), "0.25");
    EXPECT_EQ(line.at("exact_bounds_lower"), "0.125");
    EXPECT_EQ(line.at("exact_bounds_upper"), "0.375");
    EXPECT_EQ(line.at("interval_lower"), "-1");
    EXPECT_EQ(line.at("interval_upper"), "2");
    EXPECT_EQ(line.at("true_solution"), "");  // no references
    if (line.at("family") == "Uniform") {
      // Nothing solved: every phase measure empty.
      for (const PhaseMeasure& row : phaseMeasures()) {
        for (std::string_view column : row.columns) {
          EXPECT_EQ(line.at(std::string(column)), "") << column;
        }
      }
      continue;
    }
    EXPECT_EQ(line.at("min"), "0");
    EXPECT_EQ(line.at("max"), "1");
    EXPECT_EQ(line.at("invalid_mean"), "0.5");
    EXPECT_EQ(line.at("invalid_sd"), "0.1");
    EXPECT_EQ(line.at("moments_mean_se"), "0.01");
    EXPECT_EQ(line.at("moments_sd_se"), "0.02");
    EXPECT_EQ(line.at("coverage_factor"), "2.5");
    EXPECT_EQ(line.at("coverage_symmetric_lower_se"), "");
  }

  std::ostringstream bands;
  writeBandsCsv(store, bands);
  const auto bandLines = linesByName(bands.str());
  // Two solved phases of two bands and two tails.
  ASSERT_EQ(bandLines.size(), 2u * 4u);
  const std::vector<std::string> valid = {"0", "0.5", "0.5", "0"};
  const std::vector<std::string> errors = {"0", "0.125", "0.0625", "0"};
  for (std::size_t k = 0; k < bandLines.size(); ++k) {
    EXPECT_EQ(bandLines[k].at("valid"), valid[k % 4]) << k;
    EXPECT_EQ(bandLines[k].at("valid_se"), errors[k % 4]) << k;
  }
  EXPECT_EQ(bandLines[0].at("band"), "lower_tail");
  EXPECT_EQ(bandLines[0].at("upper"), "0");
  EXPECT_EQ(bandLines[2].at("lower"), "0.5");
  EXPECT_EQ(bandLines[3].at("band"), "upper_tail");
}

TEST(MeasureRowsTest, AnUnsolvedUnknownHasEveryPhaseMemberNull) {
  const ResultStore store = storeWithAnUnsolvedPhase();
  std::ostringstream out;
  writeResultsJson(RunInfo{}, store, out);
  const nlohmann::json doc = nlohmann::json::parse(out.str());
  const nlohmann::json& mode = doc["systems"][0]["modes"][0];
  for (const SolutionMeasure& row : solutionMeasures()) {
    if (row.field.empty()) continue;
    EXPECT_TRUE(mode["unknowns"][0].contains(std::string(row.field)))
        << row.field;
  }
  for (const nlohmann::json& family : mode["families"]) {
    const nlohmann::json& entry = family["unknowns"][0];
    const bool solved = family["family"] != "Uniform";
    for (const PhaseMeasure& row : phaseMeasures()) {
      const std::string field(row.field);
      ASSERT_TRUE(entry.contains(field)) << field;
      if (!solved) {
        EXPECT_TRUE(entry[field].is_null()) << field;
      }
    }
    if (solved) {
      EXPECT_EQ(entry["valid"], nlohmann::json::array({0.5, 0.5}));
    }
  }
}

// Every array of a number per band in a solved entry (with the exact linear
// normal, standard errors and the truth) is one of the borders or a band
// column.
std::size_t bandArrays(const nlohmann::json& value, std::size_t bands) {
  if (value.is_array()) {
    return value.size() == bands && !value.empty() && value[0].is_number()
               ? 1
               : 0;
  }
  std::size_t count = 0;
  if (value.is_object()) {
    for (const auto& member : value) count += bandArrays(member, bands);
  }
  return count;
}

TEST(MeasureRowsTest, AnEntryHoldsANumberPerBandForEachBandColumn) {
  ResultStore store(1, 1);
  SystemResult result = testing::evenSystem(1, 5, 16);
  for (PhaseResult& phase : result.phases) {
    PositionResult& position = phase.positions[0];
    PositionErrors errors;
    errors.masses.assign(5, 0.01);
    position.errors = errors;
    TruthTable truth;
    truth.values.masses.assign(5, 0.2);
    truth.errors.masses.assign(5, 1e-17);
    position.measures.truth.truth = truth;
    position.measures.exactLinear = ApproximationCheck{{0.5, 0.1}, {}, {}};
    position.measures.exactLinearTable.masses.assign(5, 0.2);
  }
  store.add(result);
  std::ostringstream out;
  writeResultsJson(RunInfo{}, store, out);
  const nlohmann::json doc = nlohmann::json::parse(out.str());
  for (const nlohmann::json& family : doc["systems"][0]["modes"][0]["families"]) {
    const nlohmann::json& entry = family["unknowns"][0];
    // The borders are one longer than the bands.
    EXPECT_EQ(bandArrays(entry, 5) + bandArrays(entry, 6),
              kEntryNumbersPerBand);
  }
}

}  // namespace
}  // namespace linprob
