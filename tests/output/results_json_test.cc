#include "output/results_json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/program_version.h"
#include "support/report_store.h"

namespace linprob {
namespace {

using Json = nlohmann::json;

RunInfo smallRun() {
  RunInfo run;
  run.enumerate = false;
  run.settings = {{"Dimensions", std::int64_t{2}},
                  {"ExactDistributions", false},
                  {"SampleCount", std::int64_t{3}}};
  run.jobsPerPhase = 3;
  run.wallTimeSeconds = 0.1;
  run.exportFolder = "ExportApprox/";
  return run;
}

class ResultsJsonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ostringstream out;
    writeResultsJson(smallRun(), testing::reportStore(), out);
    text_ = out.str();
    document_ = Json::parse(text_);
  }
  std::string text_;
  Json document_;
};

TEST_F(ResultsJsonTest, ProgramRunAndSystem) {
  const std::string commit = programCommit();
  EXPECT_EQ(document_["program"],
            Json({{"name", "linprob"},
                  {"version", programVersion()},
                  {"commit", commit.empty() ? Json(nullptr) : Json(commit)}}));
  const Json& run = document_["run"];
  EXPECT_EQ(run["kind"], "sampling");
  EXPECT_EQ(run["settings"]["ExactDistributions"], false);
  EXPECT_EQ(run["settings"]["SampleCount"], 3);
  EXPECT_EQ(run["jobs_per_phase"], 3);
  EXPECT_EQ(run["export_folder"], "ExportApprox/");
  // Shortest forms, no white space, and null for what is not finite.
  EXPECT_NE(text_.find("\"wall_time_seconds\":0.1,"), std::string::npos);
  EXPECT_NE(text_.find("\"pivot_growth\":null"), std::string::npos);

  const Json& system = document_["systems"][0];
  EXPECT_EQ(system["folder"], "Matrix0/");
  EXPECT_EQ(system["matrix"], Json::parse("[[2,0],[0,4]]"));
  EXPECT_EQ(system["interval_rhs"], Json::parse("[[1,3],[4,12]]"));
  EXPECT_EQ(system["true_solution"], Json::parse("[1,2]"));
  EXPECT_EQ(system["exact_hull"], Json::parse("[[0.5,1.5],[1,3]]"));
  EXPECT_EQ(system["condition_number"], 2.0);
}

TEST_F(ResultsJsonTest, ModesListUnknownsByInputIndex) {
  const Json& modes = document_["systems"][0]["modes"];
  ASSERT_EQ(modes.size(), 2u);
  EXPECT_EQ(modes[0]["mode"], "NoPivot");
  EXPECT_EQ(modes[0]["summary_file"], "Matrix0/RESULTS_FF.txt");
  EXPECT_EQ(modes[0]["pivot_growth"], 1.0);
  const Json& pivoted = modes[1];
  EXPECT_EQ(pivoted["summary_file"], "Matrix0/RESULTS_TT.txt");
  EXPECT_EQ(pivoted["column_order"], Json::parse("[1,0]"));
  // Position 1 holds unknown 0: one place above 1, an interval twice the
  // hull's width.
  EXPECT_EQ(pivoted["unknowns"][0],
            Json({{"unknown", 0},
                  {"exact", std::nextafter(1.0, 2.0)},
                  {"forward_error_ulps", 1.0},
                  {"interval", {0.0, 2.0}},
                  {"interval_overestimation", 2.0}}));
  EXPECT_TRUE(pivoted["unknowns"][1]["forward_error_ulps"].is_null());
}

TEST_F(ResultsJsonTest, PhaseUnknownsCarryEveryField) {
  const Json& families = document_["systems"][0]["modes"][0]["families"];
  ASSERT_EQ(families.size(), 3u);
  // Triangular solved no job: every field but the index is null.
  EXPECT_EQ(families[0]["jobs"], 0);
  EXPECT_TRUE(families[0]["seed"].is_null());
  const Json& empty = families[0]["unknowns"][1];
  std::vector<std::string> keys;
  for (const auto& [key, value] : empty.items()) {
    keys.push_back(key);
    if (key != "unknown") {
      EXPECT_TRUE(value.is_null()) << key;
    }
  }
  EXPECT_EQ(keys.size(), 12u);

  const Json& normal = families[1]["unknowns"][0];
  EXPECT_EQ(families[1]["jobs"], 3);
  EXPECT_EQ(normal["borders"], Json::parse("[0.5,1,1.5]"));
  EXPECT_EQ(normal["valid"], Json::parse("[0.75,0.25]"));
  // diag(2, 4): INVALID and the exact propagation are one normal, N(1, 0.25).
  EXPECT_EQ(normal["invalid"], normal["exact_linear"]);
  EXPECT_EQ(normal["invalid"]["sd"], 0.5);
  const double below = 0.5 * std::erfc(1.0 / std::sqrt(2.0));  // P(X <= 0.5)
  EXPECT_NEAR(normal["invalid"]["lower_tail"].get<double>(), below, 1e-15);
  EXPECT_EQ(normal["expected_moments"], Json({{"mean", 1.0}, {"sd", 0.5}}));
  EXPECT_EQ(normal["moments"]["mean"], 1.0);
  EXPECT_EQ(normal["coverage_95"]["resolution"], 1.0 / 16384);
  EXPECT_TRUE(normal["discrepancy"]["exact_linear"].is_object());
  EXPECT_TRUE(normal["gum_validation"]["invalid"]["validated"].is_boolean());
  // Unknown 1 sits at 2: u = 0 gives no verdict and delta is not a number.
  const Json& point = families[1]["unknowns"][1]["gum_validation"]["invalid"];
  EXPECT_TRUE(point["validated"].is_null());
  EXPECT_TRUE(point["delta"].is_null());

  // Uniform: counted without accumulators and without an approximation.
  const Json& uniform = families[2]["unknowns"][0];
  EXPECT_TRUE(uniform["invalid"].is_null());
  EXPECT_TRUE(uniform["exact_linear"].is_object());
  EXPECT_TRUE(uniform["moments"].is_null());
  EXPECT_TRUE(uniform["coverage_95"].is_null());
  EXPECT_EQ(uniform["gum_validation"],
            Json({{"invalid", nullptr}, {"exact_linear", nullptr}}));
}

}  // namespace
}  // namespace linprob
