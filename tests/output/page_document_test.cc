// The page's copy of the results document: every table in full while the
// tables fit the page, else the worst unknowns' in full and summaries of
// the others; a large matrix as block maps.
#include "output/page_document.h"
#include "output/page_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "linear/certified_inverse.h"
#include "output/html_report.h"
#include "output/results_json.h"
#include "results/phase_result.h"
#include "results/position_measures.h"
#include "support/many_systems.h"

namespace linprob {
namespace {

using Json = nlohmann::json;

// One system of n unknowns under the first mode, every table of `bands`
// bands; the total variation of INVALID of unknown u is variation[u].
ResultStore storeOf(const std::vector<double>& variation, int bands) {
  const int n = static_cast<int>(variation.size());
  ResultStore store(n, 1);
  SystemResult result = testing::evenSystem(n, bands, 10);
  for (PhaseResult& phase : result.phases) {
    for (PositionResult& position : phase.positions) {
      position.measures.invalid->discrepancy->totalVariation = variation[position.unknown];
    }
  }
  store.add(result);
  return store;
}

Json pageDocument(const ResultStore& store, const PageForm& form) {
  std::ostringstream out;
  writeResultsJson(RunInfo{}, store, out, &form);
  return Json::parse(out.str());
}

TEST(PageDocumentTest, TablesInFullWhileTheyFitTheWorstUnknownsOtherwise) {
  // Few small tables: every one in full, the page's copy as results.json.
  const ResultStore small = storeOf({0.1, 0.3}, 10);
  EXPECT_TRUE(choosePageForm(small).tables.empty());

  // 40 unknowns of 2000 bands: far above the budget. The worst by total
  // variation keep their tables (unknown 7 first, then 31, ...), ties by
  // the lower index.
  std::vector<double> variation(40, 0.01);
  variation[7] = 0.9;
  variation[31] = 0.5;
  variation[2] = 0.2;
  const ResultStore large = storeOf(variation, 2000);
  const PageForm form = choosePageForm(large);
  ASSERT_EQ(form.tables.size(), 1u);
  std::vector<int> full;
  for (int u = 0; u < 40; ++u) {
    if (form.table(0, u) == TableForm::kFull) full.push_back(u);
  }
  ASSERT_GE(full.size(), 3u);
  ASSERT_LT(full.size(), 40u);
  // The three worst, then the lowest indices of the rest.
  std::vector<int> expected{2, 7, 31};
  for (int u = 0; expected.size() < full.size(); ++u) {
    if (u != 2 && u != 7 && u != 31) expected.push_back(u);
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(full, expected);

  const Json doc = pageDocument(large, form);
  const Json& family = doc["systems"][0]["modes"][0]["families"][0]["unknowns"];
  EXPECT_TRUE(family[7].contains("valid"));
  // A summary: the two total variations and verdicts, nothing else.
  const Json& summary = family[39];
  EXPECT_FALSE(summary.contains("valid"));
  EXPECT_EQ(summary["unknown"], 39);
  ASSERT_EQ(summary["total_variation"].size(), 2u);
  EXPECT_EQ(summary["total_variation"][0], 0.01);
  // No exact linear distribution without a reference: null, as in full.
  EXPECT_TRUE(family[7]["discrepancy"]["exact_linear"].is_null());
  EXPECT_TRUE(summary["total_variation"][1].is_null());
  const Json& validation = family[7]["gum_validation"]["invalid"];
  EXPECT_EQ(summary["validated"][0], validation.is_null() ? Json() : validation["validated"]);
  EXPECT_TRUE(summary["validated"][1].is_null());
  EXPECT_EQ(summary.size(), 3u);
}

// The index page of the run in `store`, as the report writes it.
std::string indexPage(const ResultStore& store) {
  const PageForm form = choosePageForm(store);
  std::ostringstream out;
  writeResultsJson(RunInfo{}, store, out, &form);
  return renderHtmlReport(out.str());
}

// Total variations that differ from system to system.
double spread(int system) { return static_cast<double>(system % 97) / 100.0; }

TEST(PageDocumentTest, IndexPageStaysSmallWhateverTheNumberOfSystems) {
  // 2,000 systems of two unknowns once gave a page of 64 MB.
  struct Run {
    int systems, n;
  };
  for (const Run run : {Run{2000, 2}, Run{20000, 2}, Run{300, 50}}) {
    const ResultStore store = testing::manySystems(run.systems, run.n, 10, spread);
    EXPECT_LE(indexPage(store).size(), 5000000u)
        << run.systems << " systems of " << run.n << " unknowns";
  }
}

TEST(PageDocumentTest, TheWorstSystemsDrawnInFullTheOthersOnTheirOwnPages) {
  // A few small systems: the page draws every one, as before, no list.
  const ResultStore few = testing::manySystems(5, 4, 10, spread);
  const PageForm whole = choosePageForm(few);
  EXPECT_TRUE(whole.systems.empty());
  EXPECT_TRUE(whole.tables.empty());
  EXPECT_FALSE(pageDocument(few, whole).contains("system_list"));

  // 200 systems: the kMostPageSystems worst are drawn (96 and 193 first,
  // down to 92 and 189), in index order, every table in full; every system
  // is in the list.
  const ResultStore many = testing::manySystems(200, 2, 10, spread);
  const PageForm form = choosePageForm(many);
  EXPECT_EQ(form.systems,
            (std::vector<int>{92, 93, 94, 95, 96, 189, 190, 191, 192, 193}));
  EXPECT_TRUE(form.tables.empty());
  const Json doc = pageDocument(many, form);
  ASSERT_EQ(doc["systems"].size(), 10u);
  EXPECT_EQ(doc["systems"][0]["index"], 92);
  EXPECT_TRUE(doc["systems"][0]["modes"][0]["families"][0]["unknowns"][1].contains("valid"));
  const Json& list = doc["system_list"];
  EXPECT_EQ(list["pages"], "systems/");
  EXPECT_EQ(list["columns"][2], "worst_tv_invalid");
  ASSERT_EQ(list["rows"].size(), 200u);
  // System 150: no certified values, its worst total variation 0.53.
  const Json& row = list["rows"][150];
  ASSERT_EQ(row.size(), 8u);
  EXPECT_EQ(row[0], 150);
  EXPECT_TRUE(row[1].is_null());
  EXPECT_EQ(row[2], 0.53);
  EXPECT_TRUE(row[3].is_null());

  // A system of its own page: alone, as a run of it alone would show it.
  const PageForm own = chooseOwnPageForm(many, 150);
  EXPECT_EQ(own.systems, std::vector<int>{150});
  const Json ownDoc = pageDocument(many, own);
  EXPECT_EQ(ownDoc["own_page"], Json::parse(R"({"system_count":200,"report_folder":"../"})"));
  ASSERT_EQ(ownDoc["systems"].size(), 1u);
  EXPECT_EQ(ownDoc["systems"][0]["index"], 150);
  EXPECT_FALSE(ownDoc.contains("system_list"));
}

TEST(PageDocumentTest, ASystemTooLargeForThePageIsDrawnAloneWithItsWorstUnknowns) {
  // 60 unknowns of 10 bands: one system's tables alone exceed the budget.
  const ResultStore store = testing::manySystems(3, 60, 10, [](int s) { return s == 1 ? 0.5 : 0.1; });
  const PageForm form = choosePageForm(store);
  EXPECT_EQ(form.systems, std::vector<int>{1});
  ASSERT_EQ(form.tables.size(), 3u);
  EXPECT_EQ(form.table(1, 0), TableForm::kFull);
  EXPECT_EQ(form.table(1, 59), TableForm::kSummary);
  // Its own page keeps the worst unknowns too.
  const PageForm own = chooseOwnPageForm(store, 2);
  EXPECT_EQ(own.table(2, 0), TableForm::kFull);
  EXPECT_EQ(own.table(2, 59), TableForm::kSummary);
}

TEST(PageDocumentTest, LargeMatrixAsBlockMaps) {
  // 250 unknowns: blocks of 3 x 3 entries, 84 a side (the last of one).
  SystemReference reference;
  reference.n = 250;
  reference.matrix.assign(250 * 250, 0.0);
  reference.matrix[0] = -2.5;
  reference.matrix[1 * 250 + 2] = 1234.5678;  // block (0, 0): the largest
  reference.matrix[249 * 250 + 249] = 7.0;   // block (83, 83)
  const nlohmann::ordered_json map = matrixMapJson(reference);
  EXPECT_EQ(map["size"], 250);
  EXPECT_EQ(map["block"], 3);
  ASSERT_EQ(map["max_abs"].size(), 84u);
  ASSERT_EQ(map["max_abs"][0].size(), 84u);
  EXPECT_EQ(map["max_abs"][0][0], 1230.0);  // 3 significant digits
  EXPECT_EQ(map["max_abs"][83][83], 7.0);
  EXPECT_EQ(map["max_abs"][40][2], 0.0);
  // No certified inverse: no map of it.
  EXPECT_TRUE(inverseMapJson(reference).is_null());

  // A small matrix: one entry a block; the inverse's map from its
  // certified enclosure: A = [[2, 0], [1, 4]], A^-1 = [[1/2, 0], [-1/8, 1/4]].
  reference.n = 2;
  reference.matrix = {2.0, 0.0, 1.0, 4.0};
  EXPECT_EQ(matrixMapJson(reference)["max_abs"], Json::parse("[[2,0],[1,4]]"));
  CertifiedInverseResult inverse = CertifiedInverse::compute(2, reference.matrix, {});
  ASSERT_TRUE(inverse.inverse.has_value());
  reference.inverse = std::make_shared<const CertifiedInverse>(std::move(*inverse.inverse));
  EXPECT_EQ(inverseMapJson(reference)["max_abs"], Json::parse("[[0.5,0],[0.125,0.25]]"));
}

}  // namespace
}  // namespace linprob
