// End-to-end runs of the built program, judged through the Report/ folder
// they leave. Expected values are worked out here by hand.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "support/program_run.h"

namespace linprob {
namespace {

using Json = nlohmann::json;
using testing::ProgramRun;
using testing::WorkDir;

std::string settings(int solvers, int generators, int cells, int systems,
                     bool enumerate, int dimensions = 2) {
  return "Dimensions " + std::to_string(dimensions) + "\nSolverThreadCount " +
         std::to_string(solvers) + "\nGeneratorThreadCount " +
         std::to_string(generators) + "\nIntegrationPrecision " +
         std::to_string(cells) + "\nHistogramPrecision 5\nMaxMatrix " +
         std::to_string(systems) + "\nExactDistributions " +
         (enumerate ? "1" : "0") + "\nSampleCount 50\n";
}

// diag(2, 4) with b = (2, 8): x = (1, 2).
void writeDiagonalSystem(const WorkDir& dir) {
  dir.write("Matrix0/Matice.txt", "2 0\n0 4\n");
  dir.write("Matrix0/RealRHS.txt", "2 8\n");
  dir.write("Matrix0/IntRHS.txt", "1 3\n4 12\n");
  dir.write("Matrix0/NormalRHS.txt", "2 1\n8 4\n");
  dir.write("Matrix0/UniformRHS.txt", "0 4\n0 8\n");
}

// A diagonal system is solved without rounding and without dependence
// between its rows: the naive interval is the hull, INVALID is the exact
// linear propagation, and the exact values are the true solution.
TEST(RunReportTest, DiagonalSystemMeetsItsExactReferences) {
  WorkDir dir;
  writeDiagonalSystem(dir);
  dir.write("Settings.txt", settings(2, 2, 4, 1, true));
  const ProgramRun run = testing::runProgramIn(dir);
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* file : {"results.json", "bands.csv", "unknowns.csv"}) {
    EXPECT_TRUE(dir.exists(std::string("Report/") + file)) << file;
  }
  for (const auto& entry : std::filesystem::directory_iterator(
           dir.path() / "Report")) {
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
  }

  const Json document = Json::parse(dir.read("Report/results.json"));
  EXPECT_EQ(document["run"]["jobs_per_phase"], 16);
  const Json& system = document["systems"][0];
  EXPECT_EQ(system["true_solution"], Json::parse("[1,2]"));
  EXPECT_EQ(system["condition_number"], 2.0);  // 4 * 0.5
  ASSERT_EQ(system["modes"].size(), 4u);
  for (const Json& mode : system["modes"]) {
    EXPECT_EQ(mode["pivot_growth"], 1.0);
    for (int v = 0; v < 2; ++v) {
      const Json& unknown = mode["unknowns"][v];
      EXPECT_EQ(unknown["exact"], v + 1.0);
      EXPECT_TRUE(unknown["forward_error_ulps"].is_null());
      EXPECT_EQ(unknown["interval"], system["exact_hull"][v]);
      EXPECT_EQ(unknown["interval_overestimation"], 1.0);
    }
    for (const Json& family : mode["families"]) {
      EXPECT_EQ(family["jobs"], 16);
      for (const Json& unknown : family["unknowns"]) {
        EXPECT_EQ(unknown["invalid"], unknown["exact_linear"])
            << family["family"] << unknown["unknown"];
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
}

TEST(RunReportTest, NoReportLeavesNoFolder) {
  WorkDir dir;
  writeDiagonalSystem(dir);
  dir.write("Settings.txt", settings(1, 1, 2, 1, true));
  const ProgramRun run = testing::runProgramIn(dir, {"--no-report"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(dir.exists("Export/Results_X0.csv"));
  EXPECT_FALSE(dir.exists("Report"));
}

// Every value the report holds, except the run's own thread counts and wall
// time, is the same for any number of threads.
TEST(RunReportTest, ReportDoesNotDependOnTheThreadCounts) {
  auto writeSystem = [](const WorkDir& dir) {
    dir.write("Matrix0/Matice.txt", "3 1\n1 2\n");
    dir.write("Matrix0/RealRHS.txt", "5 5\n");
    dir.write("Matrix0/IntRHS.txt", "4 6\n4 6\n");
    dir.write("Matrix0/NormalRHS.txt", "5 0.3\n5 0.7\n");
    dir.write("Matrix0/UniformRHS.txt", "4 6\n3 7\n");
  };
  WorkDir one, many;
  writeSystem(one);
  writeSystem(many);
  one.write("Settings.txt", settings(1, 1, 301, 1, true));
  many.write("Settings.txt", settings(3, 4, 301, 1, true));
  ASSERT_EQ(testing::runProgramIn(one).status, 0);
  ASSERT_EQ(testing::runProgramIn(many).status, 0);
  for (const char* file : {"Report/bands.csv", "Report/unknowns.csv"}) {
    EXPECT_EQ(one.read(file), many.read(file)) << file;
  }
  Json first = Json::parse(one.read("Report/results.json"));
  Json second = Json::parse(many.read("Report/results.json"));
  for (Json* document : {&first, &second}) {
    Json& run = (*document)["run"];
    run.erase("wall_time_seconds");
    run["settings"].erase("SolverThreadCount");
    run["settings"].erase("GeneratorThreadCount");
  }
  EXPECT_EQ(first, second);
}

// Beyond kMaxExactSize unknowns the exact references are not computed.
TEST(RunReportTest, LargeSystemsHaveNoExactReferences) {
  const int n = 65;
  std::string matrix, rhs, pairs;
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) matrix += r == c ? "2 " : "0 ";
    rhs += "1 ";
    pairs += "0 1 ";
  }
  WorkDir dir;
  dir.write("Matrix0/Matice.txt", matrix);
  dir.write("Matrix0/RealRHS.txt", rhs);
  dir.write("Matrix0/IntRHS.txt", pairs);
  dir.write("Matrix0/NormalRHS.txt", pairs);
  dir.write("Matrix0/UniformRHS.txt", pairs);
  dir.write("Settings.txt", settings(1, 1, 2, 1, false, n));
  const ProgramRun run = testing::runProgramIn(dir);
  ASSERT_EQ(run.status, 0) << run.err;
  const Json document = Json::parse(dir.read("Report/results.json"));
  EXPECT_EQ(document["run"]["kind"], "sampling");
  const Json& system = document["systems"][0];
  EXPECT_EQ(system["matrix"].size(), 65u);
  EXPECT_TRUE(system["true_solution"].is_null());
  EXPECT_TRUE(system["exact_hull"].is_null());
  EXPECT_TRUE(system["condition_number"].is_null());
  const Json& mode = system["modes"][0];
  EXPECT_TRUE(mode["unknowns"][0]["interval_overestimation"].is_null());
  const Json& unknown = mode["families"][1]["unknowns"][64];
  EXPECT_TRUE(unknown["invalid"].is_object());
  EXPECT_TRUE(unknown["exact_linear"].is_null());
  EXPECT_TRUE(unknown["expected_moments"].is_null());
}

}  // namespace
}  // namespace linprob
