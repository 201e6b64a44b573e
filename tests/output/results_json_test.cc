// The copy of the results that the page embeds: large tables with their
// neighbouring bands merged (the truth and its bounds too), everything else as results.json has it.
#include "output/results_json.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "output/page_document.h"
#include "output/report_scale.h"
#include "results/continuous_truth.h"
#include "results/phase_result.h"
#include "results/phase_measures.h"
#include "results/position_measures.h"
#include "results/system_reference.h"
#include "support/many_systems.h"

namespace linprob {
namespace {

using Json = nlohmann::json;

// One system of one unknown under the first mode; its three phases have
// tables of `bands` bands over [0, 1], each band 1 / K.
ResultStore storeWithBands(int bands) {
  ResultStore store(1, 1);
  SystemResult result;
  result.columnOrder = {0};
  result.plainReplay = {0.5};
  result.plainReplayBounds = {Interval(0.5)};
  result.interval = {Interval(0.0, 1.0)};
  for (const FamilyInfo& family : kFamilies) {
    // The families of a run whose systems have the files every
    // system has.
    if (!requiredFamilies().test(static_cast<std::size_t>(family.family))) continue;
    PhaseBands phase(1);
    phase[0].count = 10;
    phase[0].min = 0.0;
    phase[0].max = 1.0;
    layBorders(phase[0], bands);
    for (double& mass : phase[0].masses) mass = 1.0 / phase[0].masses.size();
    PhaseResult measured =
        makePhaseResult(family.family, std::move(phase), {{0.5, 0.01}}, {0});
    measurePhase(measured, SystemReference{});
    // A made-up truth: band b has mass b and error bound 2b.
    const std::size_t k = measured.positions[0].valid.masses.size();
    TruthTable truth;
    truth.values.lowerTail = 0.25;
    truth.errors.lowerTail = 1e-12;
    for (std::size_t b = 0; b < k; ++b) {
      truth.values.masses.push_back(static_cast<double>(b));
      truth.errors.masses.push_back(2.0 * static_cast<double>(b));
    }
    measured.positions[0].measures.truth.truth = std::move(truth);
    result.phases.push_back(std::move(measured));
  }
  store.add(result);
  return store;
}

Json document(const ResultStore& store, std::size_t mostBands) {
  std::ostringstream out;
  PageForm form;
  form.mostBands = mostBands;
  writeResultsJson(RunInfo{}, store, out, mostBands == 0 ? nullptr : &form);
  return Json::parse(out.str());
}

const Json& firstTable(const Json& doc) {
  return doc["systems"][0]["modes"][0]["families"][0]["unknowns"][0];
}

// The variance shares come after the rest of the system's head, written
// one unknown at a time: the same members, in the same order, as every
// other part of the document.
TEST(ResultsJsonTest, SharesCloseTheSystemsHead) {
  ResultStore store = storeWithBands(2);
  SystemInputs inputs;
  inputs.n = 1;
  inputs.matrix = {2};
  inputs.rhs = {1};
  inputs.intervalRhs = {{0.5, 1.5}};
  inputs.parametersOf(ParameterKind::kNormal) = {1, 0.25};
  inputs.parametersOf(ParameterKind::kBounds) = {0, 2};
  store.addReference(makeSystemReference(inputs));
  std::ostringstream out;
  writeResultsJson(RunInfo{}, store, out, nullptr);
  const std::string text = out.str();
  EXPECT_NE(text.find("\"exact_moments_reason\":null,\"sensitivity\":[{"
                      "\"family\":\"Triangular\",\"unknowns\":[{"
                      "\"unknown\":0,\"shares\":[1],"),
            std::string::npos);
  EXPECT_NE(text.find("\"reason\":null}]}],\"sensitivity_reason\":null,"
                      "\"modes\":["),
            std::string::npos);
  const Json sensitivity = Json::parse(text)["systems"][0]["sensitivity"];
  ASSERT_EQ(sensitivity.size(), 3u);
  EXPECT_EQ(sensitivity[2]["family"], "Uniform");
  EXPECT_EQ(sensitivity[2]["unknowns"][0]["contribution_sd"].size(), 1u);
}

TEST(ResultsJsonTest, PageCopyMergesNeighbouringBandsOfLargeTables) {
  const ResultStore store = storeWithBands(4500);
  const Json full = document(store, 0);
  const Json page = document(store, 2000);
  const Json& all = firstTable(full);
  const Json& drawn = firstTable(page);
  const std::size_t k = all["valid"].size();
  ASSERT_GE(k, 4500u);
  // Three bands to a drawn band (the last one takes what is left).
  EXPECT_EQ(drawn["merged_bands"], 3);
  EXPECT_EQ(drawn["band_count"], k);
  const std::size_t groups = (k + 2) / 3;
  ASSERT_EQ(drawn["valid"].size(), groups);
  ASSERT_EQ(drawn["borders"].size(), groups + 1);
  ASSERT_EQ(drawn["invalid"]["bands"].size(), groups);
  ASSERT_EQ(drawn["truth"]["bands"].size(), groups);
  ASSERT_EQ(drawn["truth"]["error_bounds"]["bands"].size(), groups);
  for (std::size_t g = 0; g < groups; ++g) {
    EXPECT_EQ(drawn["borders"][g], all["borders"][3 * g]);
    double valid = 0.0, invalid = 0.0, truth = 0.0, bound = 0.0;
    for (std::size_t b = 3 * g; b < std::min(k, 3 * g + 3); ++b) {
      valid += all["valid"][b].get<double>();
      invalid += all["invalid"]["bands"][b].get<double>();
      truth += all["truth"]["bands"][b].get<double>();
      bound += all["truth"]["error_bounds"]["bands"][b].get<double>();
    }
    EXPECT_EQ(drawn["valid"][g], valid);
    EXPECT_EQ(drawn["invalid"]["bands"][g], invalid);
    EXPECT_EQ(drawn["truth"]["bands"][g], truth);
    EXPECT_EQ(drawn["truth"]["error_bounds"]["bands"][g], bound);
  }
  EXPECT_EQ(drawn["borders"].back(), all["borders"].back());
  // Tails and measures stay those of the full table.
  EXPECT_EQ(drawn["invalid"]["upper_tail"], all["invalid"]["upper_tail"]);
  EXPECT_EQ(drawn["truth"]["lower_tail"], 0.25);
  EXPECT_EQ(drawn["truth"]["error_bounds"]["lower_tail"], 1e-12);
  EXPECT_EQ(drawn["coverage_95"], all["coverage_95"]);

  // A table of at most that many bands is the same in both.
  const ResultStore small = storeWithBands(10);
  EXPECT_EQ(document(small, 2000), document(small, 0));
  EXPECT_FALSE(firstTable(document(small, 2000)).contains("merged_bands"));
}

TEST(ResultsJsonTest, PageBandsShrinkWithTheTablesShown) {
  EXPECT_EQ(pageBandsPerChart(0), kPageBandsPerChart);
  EXPECT_EQ(pageBandsPerChart(240), 2000u);  // the bundled example
  EXPECT_EQ(pageBandsPerChart(1000), 1000u);
  EXPECT_EQ(pageBandsPerChart(1000000), kFewestPageBands);
}

// Above kFullArraysMost unknowns results.json keeps each table's summary,
// names the worst unknowns and points to the files that hold the rest; at
// kFullArraysMost it is whole.
TEST(ResultsJsonTest, AboveAHundredUnknownsTheTablesAreInShort) {
  const auto worst = [](int) { return 0.2; };
  for (const int n : {kFullArraysMost, kFullArraysMost + 1}) {
    const ResultStore store = testing::manySystems(1, n, 4, worst);
    std::ostringstream out;
    writeResultsJson(RunInfo{}, store, out);
    const Json system = Json::parse(out.str())["systems"][0];
    const Json& entry = system["modes"][1]["families"][2]["unknowns"][7];
    if (n == kFullArraysMost) {
      EXPECT_FALSE(system.contains("worst_unknowns"));
      EXPECT_TRUE(system["matrix"].is_array());
      EXPECT_TRUE(entry.contains("borders"));
      continue;
    }
    EXPECT_TRUE(system["matrix"].is_null());
    EXPECT_FALSE(system.contains("matrix_map"));
    EXPECT_EQ(system["matrix_reason"],
              "not written for more than 100 unknowns; Matrix0/Matice.txt holds "
              "it, Report/results.nc its inverse's enclosure");
    const Json& named = system["worst_unknowns"];
    ASSERT_EQ(named.size(), static_cast<std::size_t>(kFullArraysMost));
    EXPECT_EQ(named[0], 0);  // the worst unknown first, then by index
    EXPECT_EQ(named[1], 1);
    EXPECT_EQ(entry, Json::parse(R"({"unknown":7,"total_variation":[0.02,null],)"
                                 R"("validated":[null,null]})"));
    EXPECT_EQ(system["modes"][1]["unknowns"].size(), static_cast<std::size_t>(n));
    EXPECT_NE(system["tables_reason"].get<std::string>().find("Report/results.nc"),
              std::string::npos);
  }
}

}  // namespace
}  // namespace linprob
