#include "output/html_report.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

namespace linprob {
namespace {

using nlohmann::json;

const std::string kHostile = "</script><img src=x onerror=alert(1)>";
const std::string kResultsOpen = R"(<script type="application/json" id="results">)";

// The text of the results element: from its opening tag to the first
// "</script" after it, which is where a browser ends the element.
std::string resultsElementText(const std::string& page) {
  const std::size_t open = page.find(kResultsOpen);
  if (open == std::string::npos) return "(no results element)";
  const std::size_t start = open + kResultsOpen.size();
  return page.substr(start, page.find("</script", start) - start);
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + 1)) {
    ++n;
  }
  return n;
}

json readSample(const std::string& name) {
  std::ifstream in(std::string(LINPROB_SOURCE_DIR) + "/tests/support/" + name);
  return json::parse(std::string(std::istreambuf_iterator<char>(in), {}));
}

// A document with markup in every free text and one system whose phase
// solved no job (every per-unknown field null).
json hostileDocument() {
  json unknown = {{"unknown", 0}, {"min", nullptr}, {"max", nullptr},
                  {"borders", nullptr}, {"valid", nullptr},
                  {"invalid", nullptr}, {"exact_linear", nullptr},
                  {"moments", nullptr}, {"expected_moments", nullptr},
                  {"coverage_95", nullptr}, {"discrepancy", nullptr},
                  {"gum_validation", nullptr}};
  json family = {{"family", "Uniform"}, {"jobs", 0}, {"seed", nullptr},
                 {"unknowns", json::array({unknown})}};
  json mode = {{"mode", "NoPivot"},
               {"summary_file", "Matrix0/" + kHostile + "/RESULTS_FF.txt"},
               {"pivot_growth", 1},
               {"column_order", {0}},
               {"unknowns", json::array({{{"unknown", 0}, {"exact", 0.5}}})},
               {"families", json::array({family})}};
  json system = {{"index", 0},          {"folder", "Matrix0/" + kHostile},
                 {"matrix", {{2.0}}},   {"rhs", {1.0}},
                 {"true_solution", nullptr}, {"condition_number", nullptr},
                 {"modes", json::array({mode})}};
  return {{"program", {{"name", kHostile}, {"version", "<!--"}, {"commit", "&amp;"}}},
          {"run", {{"kind", "sampling"}, {"export_folder", "Export/\u2028" + kHostile}}},
          {"systems", json::array({system})}};
}

TEST(HtmlReportTest, MarkupInValuesStaysInsideTheResultsElement) {
  const json doc = hostileDocument();
  const std::string page = renderHtmlReport(doc);

  const std::string text = resultsElementText(page);
  EXPECT_EQ(text.find_first_of("<>&"), std::string::npos);
  EXPECT_EQ(json::parse(text), doc);
  // Nothing of the values appears as markup anywhere in the page: the only
  // "<img" or "<!--" would be the ones from the document.
  EXPECT_EQ(count(page, "<img"), 0u);
  EXPECT_EQ(count(page, "<!--"), 0u);
  // Five script elements: error recorder, results, chart library, the
  // truth's parts, renderer.
  EXPECT_EQ(count(page, "</script"), 5u);
  EXPECT_EQ(count(page, "<script"), 5u);
}

TEST(HtmlReportTest, OwnPageEscapesAlikeAndReadsTheSharedFiles) {
  const json doc = hostileDocument();
  std::ostringstream out;
  writeOwnPage(doc.dump(), out);
  const std::string page = out.str();
  const std::string text = resultsElementText(page);
  EXPECT_EQ(text.find_first_of("<>&"), std::string::npos);
  EXPECT_EQ(json::parse(text), doc);
  EXPECT_EQ(count(page, "<img"), 0u);
  EXPECT_EQ(page.find("@@"), std::string::npos);
  // The recorder, the results, the shared script and the note when it is
  // missing; the library and the renderer only in the shared script.
  EXPECT_EQ(count(page, "<script"), 4u);
  EXPECT_NE(page.find("<script src=\"report.js\"></script>"), std::string::npos);
  EXPECT_NE(page.find("<link rel=\"stylesheet\" href=\"report.css\">"), std::string::npos);
  EXPECT_EQ(page.find("Chart.js v3."), std::string::npos);
  std::ostringstream script;
  writeSharedScript(script);
  EXPECT_NE(script.str().find("Chart.js v3."), std::string::npos);
  EXPECT_NE(script.str().find("window.linprobTruth = function"), std::string::npos);
  EXPECT_THROW(writeOwnPage("{", out), std::invalid_argument);
}

TEST(HtmlReportTest, EscapesOnlyTheCharactersThatCouldEndTheElement) {
  EXPECT_EQ(escapeJsonForScript("{\"a\":\"</script> & \xE2\x80\xA8\xE2\x80\xA9 \xE2\x80\x94\"}"),
            "{\"a\":\"\\u003c/script\\u003e \\u0026 \\u2028\\u2029 \xE2\x80\x94\"}");
}

TEST(HtmlReportTest, SampleDocumentsComeBackUnchanged) {
  // Text in, text out: the page carries the writer's numbers as written, so
  // the parsed document is bit-identical.
  for (const char* name : {"results_small.json", "results_default.json",
                           "results_edge.json"}) {
    const json doc = readSample(name);
    const std::string page = renderHtmlReport(doc.dump());
    EXPECT_EQ(json::parse(resultsElementText(page)), doc) << name;
    EXPECT_EQ(page.find("@@"), std::string::npos) << name;
  }
}

TEST(HtmlReportTest, PageHoldsLibraryStyleAndRenderer) {
  const std::string page = renderHtmlReport(std::string("{}"));
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("Chart.js v3."), std::string::npos);
  EXPECT_NE(page.find("data-charts-drawn"), std::string::npos);
  EXPECT_NE(page.find("@media print"), std::string::npos);
  EXPECT_NE(page.find("window.linprobTruth = function"), std::string::npos);
  EXPECT_EQ(resultsElementText(page), "{}");
}

TEST(HtmlReportTest, RefusesTextThatIsNotJson) {
  for (const std::string bad : {"", "{", "{\"a\":1} x", "{\"a\":\"\xFF\"}"}) {
    try {
      renderHtmlReport(bad);
      ADD_FAILURE() << "accepted: " << bad;
    } catch (const std::invalid_argument& e) {
      EXPECT_STREQ(e.what(), "results document: not valid JSON");
    }
  }
}

}  // namespace
}  // namespace linprob
