// A run handed its settings and systems in memory, as the Python package
// makes it: it analyses only the modes and families asked for, keeps its
// report in memory, and reads and writes no folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/console.h"
#include "config/given_inputs.h"
#include "config/run_options.h"
#include "driver/run_driver.h"
#include "support/temp_dir.h"

namespace linprob {
namespace {

SystemNumbers diagonalSystem(double scale) {
  SystemNumbers numbers;
  numbers.matrix = {2 * scale, 0, 0, 4 * scale};
  numbers.rhs = {1, 2};
  numbers.intervalRhs = {{0.5, 1.5}, {1.5, 2.5}};
  numbers.parametersOf(ParameterKind::kNormal) = {1, 0.25, 2, 0.25};
  numbers.parametersOf(ParameterKind::kBounds) = {0.5, 1.5, 1.5, 2.5};
  return numbers;
}

TEST(GivenRunTest, AnalysesWhatItIsAskedAndKeepsItsReportInMemory) {
  auto given = std::make_shared<GivenInputs>();
  given->settings.Dimensions = 2;
  given->settings.MaxMatrix = 2;
  given->settings.IntegrationPrecision = 3;
  given->settings.SolverThreadCount = 2;
  given->systems = {diagonalSystem(1), diagonalSystem(2)};
  given->systems[1].families.reset().set(static_cast<std::size_t>(Family::kNormal));
  given->modes.reset().set(0).set(2);

  testing::TempDir dir;
  std::atomic<int> done{0};
  ReportBytes report;
  RunOptions options;
  options.workDir = dir.prefix();
  options.quiet = true;
  options.given = given;
  options.summaries = SummaryChoice::kSkipped;
  options.reportBytes = &report;
  options.systemsDone = &done;
  // The run enters its working folder: this test's is restored after it.
  const std::filesystem::path here = std::filesystem::current_path();
  showLines(false);
  const int status = runProgram(options);
  showLines(true);
  std::filesystem::current_path(here);
  ASSERT_EQ(status, 0);

  EXPECT_EQ(done.load(), 4);
  EXPECT_TRUE(std::filesystem::is_empty(dir.prefix()));
  ASSERT_EQ(report.count("results.json"), 1u);
  const nlohmann::json document = nlohmann::json::parse(report["results.json"]);
  std::vector<std::vector<std::string>> analysed;
  for (const auto& system : document["systems"]) {
    for (const auto& mode : system["modes"]) {
      std::string line = mode["mode"].get<std::string>() + ":";
      for (const auto& family : mode["families"]) {
        line += " " + family["family"].get<std::string>();
      }
      analysed.push_back({line});
    }
  }
  EXPECT_EQ(analysed, (std::vector<std::vector<std::string>>{
                          {"NoPivot: Triangular Normal Uniform"},
                          {"ColPivot: Triangular Normal Uniform"},
                          {"NoPivot: Normal"},
                          {"ColPivot: Normal"}}));
  // The tables hold the same phases: 2 modes x (3 + 1) families x 2 unknowns.
  const std::string& unknowns = report["unknowns.csv"];
  EXPECT_EQ(std::count(unknowns.begin(), unknowns.end(), '\n'), 1 + 16);
}

}  // namespace
}  // namespace linprob
