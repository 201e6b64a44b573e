// End-to-end runs of the built program, judged through the Report/ folder
// they leave. Expected values are worked out here by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/csv_cells.h"
#include "support/program_run.h"

namespace linprob {
namespace {

using Json = nlohmann::ordered_json;
using testing::ProgramRun;
using testing::WorkDir;

// diag(2, 4). b0 is a double that nlohmann's own conversion writes with 17
// digits instead of its shortest 16.
void writeDiagonalSystem(const WorkDir& dir, const std::string& normal,
                         const std::string& uniform) {
  dir.write("Matrix0/Matice.txt", "2 0\n0 4\n");
  dir.write("Matrix0/RealRHS.txt", "0.2229922859786896 8\n");
  dir.write("Matrix0/IntRHS.txt", "1 3\n4 12\n");
  dir.write("Matrix0/NormalRHS.txt", normal);
  dir.write("Matrix0/UniformRHS.txt", uniform);
}

using testing_support::csvCells;

std::vector<std::vector<std::string>> table(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) rows.push_back(csvCells(line));
  return rows;
}

// A diagonal system is solved without rounding and without dependence
// between its rows: the naive interval is the hull, INVALID is the exact
// linear propagation, and the exact values are the true solution.
TEST(RunReportTest, DiagonalSystemMeetsItsExactReferences) {
  WorkDir dir;
  writeDiagonalSystem(dir, "2 1\n8 4\n", "0 4\n0 8\n");
  dir.write("Settings.txt", testing::enumerationSettings(2, 2, 4));
  const ProgramRun run = testing::runProgramIn(dir);
  ASSERT_EQ(run.status, 0) << run.err;
  // The page is written beside the data it shows, and the console's last
  // line names it.
  EXPECT_TRUE(run.out.ends_with("\nReport: Report/index.html\n"));
  EXPECT_NE(dir.read("Report/index.html").find(
                "\"true_solution\":[0.1114961429893448,2]"),
            std::string::npos);
  for (const auto& entry :
       std::filesystem::directory_iterator(dir.path() / "Report")) {
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
  }

  const std::string text = dir.read("Report/results.json");
  EXPECT_NE(text.find("\"rhs\":[0.2229922859786896,8]"), std::string::npos);
  const Json document = Json::parse(text);
  EXPECT_EQ(document["run"]["jobs_per_phase"], 16);
  const Json& system = document["systems"][0];
  EXPECT_EQ(system["true_solution"], Json::parse("[0.1114961429893448,2]"));
  EXPECT_EQ(system["condition_number"], 2.0);  // 4 * 0.5
  EXPECT_EQ(system["condition_verdict"]["text"], "well conditioned");
  ASSERT_EQ(system["modes"].size(), 4u);
  const std::vector<std::string> fields = {
      "unknown", "min", "max", "borders", "valid", "invalid", "exact_linear",
      "moments", "expected_moments", "coverage_95", "discrepancy",
      "gum_validation", "truth", "truth_reason", "standard_error",
      "convergence"};
  for (const Json& mode : system["modes"]) {
    EXPECT_EQ(mode["pivot_growth"], 1.0);
    for (int v = 0; v < 2; ++v) {
      const Json& unknown = mode["unknowns"][v];
      EXPECT_EQ(unknown["exact"], system["true_solution"][v]);
      EXPECT_EQ(unknown["exact_bounds"][0], unknown["exact"]);
      EXPECT_EQ(unknown["exact_bounds"][1], unknown["exact"]);
      EXPECT_TRUE(unknown["forward_error_ulps"].is_null());
      EXPECT_EQ(unknown["interval"], system["exact_hull"][v]);
      EXPECT_EQ(unknown["interval_overestimation"], 1.0);
    }
    for (const Json& family : mode["families"]) {
      EXPECT_EQ(family["jobs"], 16);
      for (const Json& unknown : family["unknowns"]) {
        std::vector<std::string> keys;
        for (const auto& item : unknown.items()) keys.push_back(item.key());
        EXPECT_EQ(keys, fields);
        EXPECT_EQ(unknown["invalid"], unknown["exact_linear"]);
        EXPECT_TRUE(unknown["standard_error"].is_null());  // enumeration
        EXPECT_EQ(unknown["borders"].size(), unknown["valid"].size() + 1);
      }
    }
  }
  EXPECT_EQ(system["modes"][3]["column_order"], Json::parse("[1,0]"));
  // Uniform cells of [0, 4] at 0, 1, 2, 3: mean 1.5, variance 1.25, halved
  // by the pivot 2.
  const Json& uniform = system["modes"][0]["families"][2]["unknowns"][0];
  EXPECT_EQ(uniform["expected_moments"]["mean"], 0.75);
  EXPECT_EQ(uniform["expected_moments"]["sd"], std::sqrt(1.25) / 2);

  // x0 = b0 / 2 with b0 uniform on [0, 4]: the truth is uniform on [0, 2],
  // half of each band's width, the rest above the last border.
  const Json& truth = uniform["truth"];
  EXPECT_EQ(truth["method"], "piecewise polynomial");
  EXPECT_EQ(uniform["truth_reason"], nullptr);
  const Json& borders = uniform["borders"];
  EXPECT_EQ(truth["lower_tail"], 0.0);
  for (std::size_t k = 0; k + 1 < borders.size(); ++k) {
    const double width =
        borders[k + 1].get<double>() - borders[k].get<double>();
    EXPECT_NEAR(truth["bands"][k].get<double>(), width / 2,
                truth["error_bounds"]["bands"][k].get<double>() + 1e-16);
  }
  EXPECT_LE(truth["max_error"].get<double>(), 1e-9);
  // Every unknown depends on its own entry alone.
  const Json& sensitivity = system["sensitivity"];
  EXPECT_EQ(system["sensitivity_reason"], nullptr);
  ASSERT_EQ(sensitivity.size(), 3u);
  EXPECT_EQ(sensitivity[1]["family"], "Normal");
  EXPECT_EQ(sensitivity[1]["unknowns"][1]["shares"], Json::parse("[0,1]"));
  EXPECT_EQ(sensitivity[1]["unknowns"][1]["contribution_sd"],
            Json::parse("[0,0.5]"));  // sqrt(4) / 4
  EXPECT_EQ(sensitivity[2]["unknowns"][0]["cells_shares"],
            Json::parse("[1,0]"));

  // bands.csv: both tails and every band, INVALID equal to exact linear,
  // the truth and its bound beside them.
  const auto bands = table(dir.read("Report/bands.csv"));
  ASSERT_GT(bands.size(), 3u);
  EXPECT_EQ(bands[0], csvCells("system,mode,family,unknown,band,lower,upper,"
                            "valid,invalid,exact_linear,truth,truth_error,"
                            "valid_se"));
  EXPECT_EQ(bands[1][4], "lower_tail");
  EXPECT_EQ(bands[1][5], "");
  for (std::size_t r = 1; r < bands.size(); ++r) {
    ASSERT_EQ(bands[r].size(), 13u);
    EXPECT_EQ(bands[r][8], bands[r][9]);
    EXPECT_NE(bands[r][10], "");
    EXPECT_EQ(bands[r][12], "");  // enumeration: no standard errors
  }
  // unknowns.csv: 4 modes x 3 families x 2 unknowns, every row complete.
  const auto unknowns = table(dir.read("Report/unknowns.csv"));
  ASSERT_EQ(unknowns.size(), 1u + 24);
  for (const auto& row : unknowns) EXPECT_EQ(row.size(), 59u);
  // sensitivity.csv: 3 families x 2 unknowns x 2 entries.
  const auto shares = table(dir.read("Report/sensitivity.csv"));
  ASSERT_EQ(shares.size(), 1u + 12);
  EXPECT_EQ(shares[0], csvCells("system,family,unknown,entry,share,"
                             "contribution_sd,cells_share"));
  EXPECT_EQ(shares[1], csvCells("0,Triangular,0,0,1,0.408248290463863,1"));
}

// The counting pass's moments of the solved values are the moments of the
// cells carried exactly through the system (to rounding of the sums), its
// coverage intervals lie inside [Min, Max], and a normal right-hand side on
// 100 cells passes the normal approximation's validation while a uniform
// one does not.
TEST(RunReportTest, CountingPassMeasuresMatchTheExactMoments) {
  WorkDir dir;
  dir.write("Matrix0/Matice.txt", "1 0\n0.5 2\n");
  dir.write("Matrix0/RealRHS.txt", "0 0\n");
  dir.write("Matrix0/IntRHS.txt", "-1 1\n-1 1\n");
  dir.write("Matrix0/NormalRHS.txt", "0 1\n0 1\n");
  dir.write("Matrix0/UniformRHS.txt", "-1 1\n-1 1\n");
  dir.write("Settings.txt", testing::enumerationSettings(2, 1, 100));
  const ProgramRun run = testing::runProgramIn(dir);
  ASSERT_EQ(run.status, 0) << run.err;
  const Json document = Json::parse(dir.read("Report/results.json"));
  for (const Json& mode : document["systems"][0]["modes"]) {
    for (const Json& family : mode["families"]) {
      for (const Json& unknown : family["unknowns"]) {
        const Json& moments = unknown["moments"];
        const Json& expected = unknown["expected_moments"];
        ASSERT_TRUE(moments.is_object()) << family["family"];
        // Sums of 10^4 weights: a few hundred roundings at most.
        const double sd = expected["sd"].get<double>();
        EXPECT_NEAR(moments["mean"].get<double>(),
                    expected["mean"].get<double>(), 1e-12 * sd);
        EXPECT_NEAR(moments["sd"].get<double>(), sd, 1e-12 * sd);
        const Json& symmetric = unknown["coverage_95"]["symmetric"];
        EXPECT_LE(unknown["min"].get<double>(), symmetric[0].get<double>());
        EXPECT_LT(symmetric[0].get<double>(), symmetric[1].get<double>());
        EXPECT_LE(symmetric[1].get<double>(), unknown["max"].get<double>());
      }
    }
    const Json& normal = mode["families"][1]["unknowns"][0]["gum_validation"];
    EXPECT_EQ(normal["exact_linear"]["validated"], true);
    const Json& uniform = mode["families"][2]["unknowns"][0]["gum_validation"];
    EXPECT_EQ(uniform["exact_linear"]["validated"], false);
  }
}

// A run refused at the start writes no report; an unknown that depends on
// a known constant only (variance 0, equal ends) is a point mass, over which
// the approximations walk no band.
TEST(RunReportTest, RefusedRunsAndConstantUnknowns) {
  WorkDir none;
  writeDiagonalSystem(none, "2 1\n8 4\n", "0 4\n0 8\n");
  none.write("Settings.txt", testing::enumerationSettings(1, 1, 0));
  EXPECT_NE(testing::runProgramIn(none).status, 0);
  EXPECT_FALSE(std::filesystem::exists(none.path() / "Report"));

  WorkDir constant;
  writeDiagonalSystem(constant, "2 1\n8 0\n", "0 4\n8 8\n");
  constant.write("Settings.txt", testing::enumerationSettings(1, 1, 3));
  ASSERT_EQ(testing::runProgramIn(constant).status, 0);
  const Json document = Json::parse(constant.read("Report/results.json"));
  const Json& point =
      document["systems"][0]["modes"][0]["families"][1]["unknowns"][1];
  EXPECT_EQ(point["min"], 2.0);
  EXPECT_EQ(point["invalid"]["bands"], Json::array());
  EXPECT_EQ(point["discrepancy"]["invalid"], nullptr);
  EXPECT_EQ(point["discrepancy"]["exact_linear"], nullptr);
  // The truth is the same point mass: all of it at min, in the lower tail,
  // no band walked, so nothing to hold VALID's bands against.
  EXPECT_EQ(point["truth"]["lower_tail"], 1.0);
  EXPECT_EQ(point["truth"]["bands"], Json::array());
  EXPECT_EQ(point["discrepancy"]["truth"]["valid"], nullptr);
  EXPECT_EQ(point["discrepancy"]["truth"]["invalid"]["total_variation"], 0.0);
  for (const auto& row : table(constant.read("Report/bands.csv"))) {
    if (row[2] == "Normal" && row[3] == "1" && row[4] != "lower_tail") {
      EXPECT_EQ(row[8], "");
      EXPECT_EQ(row[9], "");
    }
  }
}

TEST(RunReportTest, NoReportLeavesNoFolder) {
  WorkDir dir;
  writeDiagonalSystem(dir, "2 1\n8 4\n", "0 4\n0 8\n");
  dir.write("Settings.txt", testing::enumerationSettings(1, 1, 2));
  const ProgramRun run = testing::runProgramIn(dir, {"--no-report"});
  ASSERT_EQ(run.status, 0);
  EXPECT_TRUE(dir.exists("Export/Results_X0.csv"));
  EXPECT_FALSE(dir.exists("Report"));
  EXPECT_EQ(run.out.find("Report:"), std::string::npos);
}

// A page that cannot be put in place is reported, the run fails, and no
// line points at it; the other report files are still written.
TEST(RunReportTest, UnwritablePageIsAnError) {
  WorkDir dir;
  writeDiagonalSystem(dir, "2 1\n8 4\n", "0 4\n0 8\n");
  dir.write("Settings.txt", testing::enumerationSettings(1, 1, 2));
  std::filesystem::create_directories(dir.path() / "Report/index.html/x");
  const ProgramRun run = testing::runProgramIn(dir);
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.err, "Report/index.html: cannot be written: Is a directory\n");
  EXPECT_EQ(run.out.find("Report:"), std::string::npos);
  EXPECT_TRUE(dir.exists("Report/results.json"));
  EXPECT_FALSE(dir.exists("Report/index.html.tmp"));
}

// Every value the report holds, except the run's own thread counts and wall
// time, is the same for any number of threads.
TEST(RunReportTest, ReportDoesNotDependOnTheThreadCounts) {
  WorkDir one, many;
  for (const WorkDir* dir : {&one, &many}) {
    dir->write("Matrix0/Matice.txt", "3 1\n1 2\n");
    dir->write("Matrix0/RealRHS.txt", "5 5\n");
    dir->write("Matrix0/IntRHS.txt", "4 6\n4 6\n");
    dir->write("Matrix0/NormalRHS.txt", "5 0.3\n5 0.7\n");
    dir->write("Matrix0/UniformRHS.txt", "4 6\n3 7\n");
  }
  one.write("Settings.txt", testing::enumerationSettings(1, 1, 301));
  many.write("Settings.txt", testing::enumerationSettings(3, 4, 301));
  ASSERT_EQ(testing::runProgramIn(one).status, 0);
  ASSERT_EQ(testing::runProgramIn(many).status, 0);
  // filesUnder leaves out the run object of results.json.
  auto first = testing::filesUnder(one.path());
  auto second = testing::filesUnder(many.path());
  for (const char* file :
       {"Report/bands.csv", "Report/unknowns.csv", "Report/results.json"}) {
    EXPECT_FALSE(first[file].empty()) << file;
    EXPECT_EQ(first[file], second[file]) << file;
  }
}

// Sampling with --digits, with each kind of points: the same files for any
// number of threads under --seed, a phase stops once its standard errors
// meet the rule (below the SampleCount ceiling here) and its summary says
// how many samples it used, and every unknown has its standard errors and
// their convergence over the 16 batches, which ends at the phase's own
// estimates.
TEST(RunReportTest, DigitsRoundsDoNotDependOnTheThreadCounts) {
  for (const char* points : {"random", "sobol", "lhs"}) {
    SCOPED_TRACE(points);
    WorkDir one, many;
    for (const WorkDir* dir : {&one, &many}) {
      dir->write("Matrix0/Matice.txt", "3 1\n1 2\n");
      dir->write("Matrix0/RealRHS.txt", "5 5\n");
      dir->write("Matrix0/IntRHS.txt", "4 6\n4 6\n");
      dir->write("Matrix0/NormalRHS.txt", "5 0.3\n5 0.7\n");
      dir->write("Matrix0/UniformRHS.txt", "4 6\n3 7\n");
    }
    auto settings = [](int threads) {
      return "Dimensions 2\nSolverThreadCount " + std::to_string(threads) +
             "\nGeneratorThreadCount 1\nIntegrationPrecision 10\n"
             "HistogramPrecision 20\nMaxMatrix 1\nExactDistributions 0\n"
             "SampleCount 2000000\n";
    };
    one.write("Settings.txt", settings(1));
    many.write("Settings.txt", settings(3));
    const std::vector<std::string> arguments = {"-q", "--seed", "5", "--digits",
                                                "1", "--points", points};
    ASSERT_EQ(testing::runProgramIn(one, arguments).status, 0);
    ASSERT_EQ(testing::runProgramIn(many, arguments).status, 0);
    auto first = testing::filesUnder(one.path());
    auto second = testing::filesUnder(many.path());
    for (const char* file :
         {"Report/bands.csv", "Report/unknowns.csv", "Report/results.json",
          "Matrix0/RESULTS_FF.txt"}) {
      EXPECT_EQ(first[file], second[file]) << file;
    }
    const Json document = Json::parse(one.read("Report/results.json"));
    EXPECT_EQ(document["run"]["points"], points);
    const std::string summary = one.read("Matrix0/RESULTS_FF.txt");
    for (const Json& family : document["systems"][0]["modes"][0]["families"]) {
      const auto jobs = family["jobs"].get<std::uint64_t>();
      EXPECT_LT(jobs, 2000000u);
      EXPECT_EQ(family["digits"],
                Json::parse(R"({"digits":1,"most_samples":2000000,)"
                            R"("rule_met":true})"));
      EXPECT_NE(summary.find(" distribution:\nSamples used: " +
                             std::to_string(jobs) +
                             ", where the --digits 1 rule was met (at most "
                             "2000000).\nShowing probabilities"),
                std::string::npos)
          << jobs;
      for (const Json& unknown : family["unknowns"]) {
        const Json& errors = unknown["standard_error"];
        EXPECT_TRUE(errors["moments"]["mean"].is_number());
        const Json& convergence = unknown["convergence"];
        ASSERT_EQ(convergence["samples"].size(), 16u);
        EXPECT_EQ(convergence["samples"].back(), jobs);
        EXPECT_EQ(convergence["samples"][0], jobs / 16);
        // From one batch: an error of random samples, none of one set.
        EXPECT_EQ(convergence["mean_se"][0].is_null(),
                  std::string(points) != "random");
        EXPECT_EQ(convergence["coverage_factor"].back(),
                  errors["coverage_factor"]);
        EXPECT_EQ(convergence["mean"].back(), unknown["moments"]["mean"]);
        EXPECT_EQ(convergence["mean_se"].back(), errors["moments"]["mean"]);
        EXPECT_EQ(convergence["symmetric_upper"].back(),
                  unknown["coverage_95"]["symmetric"][1]);
        EXPECT_EQ(convergence["symmetric_lower_se"].back(),
                  errors["coverage_95"]["symmetric"][0]);
      }
    }
  }
}

}  // namespace
}  // namespace linprob
