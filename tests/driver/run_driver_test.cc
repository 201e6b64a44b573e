// End-to-end runs of the built program in temporary working directories. The
// expected numbers are worked out here by hand or by independent arithmetic
// (the normal cdf through std::erfc), never by calling the code under test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/folder_lock.h"
#include "support/program_run.h"

namespace linprob {
namespace {

using testing::ProgramRun;
using testing::WorkDir;

std::string fmt(double x) {
  std::ostringstream out;
  out << x;
  return out.str();
}

double normalCdf(double x, double mean, double variance) {
  return 0.5 * std::erfc(-(x - mean) / std::sqrt(2.0 * variance));
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

using testing::writeDiagonalSystem;

// The invalid table of an unknown with two bands over [lo, hi].
std::string invalidTable(int k, double lo, double hi, double mean,
                         double variance) {
  const double mid = lo + (hi - lo) / 2;
  const double below = normalCdf(lo, mean, variance);
  const double atMid = normalCdf(mid, mean, variance);
  const double atHi = normalCdf(hi, mean, variance);
  return "Showing INVALID probabilities for variable number " +
         std::to_string(k) + "\nLower than " + fmt(lo) + " : " + fmt(below) +
         "\n" + fmt(lo) + " to " + fmt(mid) + " : " + fmt(atMid - below) +
         "\n" + fmt(mid) + " to " + fmt(hi) + " : " + fmt(atHi - atMid) +
         "\nMore than " + fmt(hi) + " : " + fmt(1 - atHi) + "\n";
}

std::string validTable(int k, double lo, double hi, double massLow,
                       double massHigh) {
  const double mid = lo + (hi - lo) / 2;
  return "Showing probabilities for variable number " + std::to_string(k) +
         "\n<" + fmt(lo) + " : 0\n" + fmt(lo) + " to " + fmt(mid) +
         " : P=" + fmt(massLow) + "\n" + fmt(mid) + " to " + fmt(hi) +
         " : P=" + fmt(massHigh) + "\n";
}

// Normal cells of two per entry: values mean - w and mean, weights the
// density there, normalised.
struct TwoCells {
  double low, high, pLow, pHigh;
};
TwoCells normalTwoCells(double mean, double variance) {
  const double s = std::sqrt(variance);
  const double w = 2.2493653 * s / std::pow(2.0, 0.75);
  const double start = mean - (w / 2) * 2;
  TwoCells cells{start, w + start, 0, 0};
  const double dLow = std::exp(-0.5 * std::pow((cells.low - mean) / s, 2));
  const double dHigh = std::exp(-0.5 * std::pow((cells.high - mean) / s, 2));
  cells.pLow = dLow / (dLow + dHigh);
  cells.pHigh = dHigh / (dLow + dHigh);
  return cells;
}

// The summary file of the diagonal system; `order` lists the unknowns in
// solution-position order.
std::string expectedSummary(const std::vector<int>& order) {
  const TwoCells b0 = normalTwoCells(2, 1);
  const TwoCells b1 = normalTwoCells(8, 4);
  std::map<int, std::string> exact = {
      {0, "Variable number 0 has bounds: 1 to 1\n"},
      {1, "Variable number 1 has bounds: 2 to 2\n"}};
  std::map<int, std::string> interval = {
      {0, "Variable number 0 has bounds: 0.5 to 1.5\n"},
      {1, "Variable number 1 has bounds: 1 to 3\n"}};
  std::map<int, std::string> triValid, triInvalid, normValid, normInvalid,
      unifValid, unifInvalid;
  for (int k : {0, 1}) {
    // Triangular cells at 1 and 3 (of [0, 4]) and 2 and 6 (of [0, 8]).
    triValid[k] = validTable(k, 0.5, 1.5, 0.5, 0.5);
    triInvalid[k] = invalidTable(k, 0.5, 1.5, 1, 1.0 / 6);
    // Uniform cells at the lower edges 0, 2 and 0, 4.
    unifValid[k] = validTable(k, 0, 1, 0.5, 0.5);
    unifInvalid[k] = invalidTable(k, 0, 1, 1, 1.0 / 3);
  }
  normValid[0] = validTable(0, b0.low / 2, b0.high / 2, b0.pLow, b0.pHigh);
  normValid[1] = validTable(1, b1.low / 4, b1.high / 4, b1.pLow, b1.pHigh);
  normInvalid[0] = invalidTable(0, b0.low / 2, b0.high / 2, 1, 0.25);
  normInvalid[1] = invalidTable(1, b1.low / 4, b1.high / 4, 2, 0.25);

  auto section = [&](const std::string& header,
                     std::map<int, std::string>& byUnknown) {
    std::string text = "\n" + header + "\n";
    for (int k : order) text += byUnknown[k];
    return text;
  };
  return section("Exact values", exact) +
         section("Interval arithmetic values", interval) +
         section("Results for the Triangluar distribution:", triValid) +
         section("INVALID Results for the Triangular distribution:",
                 triInvalid) +
         section("Results for the Normal distribution:", normValid) +
         section("INVALID Results for the Normal distribution:", normInvalid) +
         section("Results for the Uniform distribution:", unifValid) +
         section("INVALID Results for the Uniform distribution:",
                 unifInvalid);
}

class EnumerationRunTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new WorkDir;
    dir_->write("Settings.txt",
                "Dimensions 2\nSolverThreadCount 2\nGeneratorThreadCount 2\n"
                "IntegrationPrecision 2\nHistogramPrecision 2\nMaxMatrix 1\n"
                "ExactDistributions 1\nSampleCount 100\n");
    writeDiagonalSystem(*dir_);
    run_ = new ProgramRun(testing::runProgramIn(*dir_));
  }
  static void TearDownTestSuite() {
    delete run_;
    delete dir_;
  }
  static WorkDir* dir_;
  static ProgramRun* run_;
};
WorkDir* EnumerationRunTest::dir_ = nullptr;
ProgramRun* EnumerationRunTest::run_ = nullptr;

TEST_F(EnumerationRunTest, EndsCleanly) {
  EXPECT_EQ(run_->status, 0);
  EXPECT_EQ(run_->err, "");
}

TEST_F(EnumerationRunTest, WritesEverySummaryFile) {
  EXPECT_EQ(dir_->read("Matrix0/RESULTS_FF.txt"), expectedSummary({0, 1}));
  EXPECT_EQ(dir_->read("Matrix0/RESULTS_TF.txt"), expectedSummary({0, 1}));
  EXPECT_EQ(dir_->read("Matrix0/RESULTS_FT.txt"), expectedSummary({0, 1}));
  EXPECT_EQ(dir_->read("Matrix0/RESULTS_TT.txt"), expectedSummary({1, 0}));
}

TEST_F(EnumerationRunTest, PrintsTheDriverLinesInOrder) {
  std::vector<std::string> driverLines;
  std::map<std::string, int> threadLines;
  for (const std::string& line : lines(run_->out)) {
    if (line == "Solver Thread Started!" || line == "Stopper found." ||
        line == "Stopper inserted" || line == "Generator Thread Started!" ||
        line == "Generator thread stopping!") {
      ++threadLines[line];
    } else {
      driverLines.push_back(line);
    }
  }
  std::vector<std::string> expected;
  const char* flags[4] = {"0,0", "1,0", "0,1", "1,1"};
  for (const char* f : flags) {
    const std::string mode = f;
    for (const std::string& line :
         {std::string(""), "Pivot mode change to:" + mode,
          std::string("Matrix index: 0"),
          std::string("Loading a square matrix with 2 variables."),
          std::string("Each of them will be represented by 2 instances."),
          std::string("Expect 4 jobs per distribution.")}) {
      expected.push_back(line);
    }
    for (const auto& [family, word] :
         {std::pair{"Triangular", " Mode "}, std::pair{"Normal", " Mode "},
          std::pair{"Uniform", " Mode"}}) {
      expected.push_back(std::string("Calculating results for ") + family +
                         " Distribution...Matrix: 0" + word + mode);
      expected.push_back(std::string("Sorting results for ") + family +
                         " Distribution...");
      expected.push_back("Variable 0");
      expected.push_back("Variable 1");
    }
  }
  expected.push_back("Report: Report/index.html");
  EXPECT_EQ(driverLines, expected);
  // 4 modes x 3 phases, two solver and two generator threads each.
  EXPECT_EQ(threadLines["Solver Thread Started!"], 24);
  EXPECT_EQ(threadLines["Stopper found."], 24);
  EXPECT_EQ(threadLines["Stopper inserted"], 12);
  EXPECT_EQ(threadLines["Generator Thread Started!"], 24);
  EXPECT_EQ(threadLines["Generator thread stopping!"], 24);
}

TEST_F(EnumerationRunTest, ExportsOneCsvPerUnknown) {
  EXPECT_FALSE(dir_->exists("ExportApprox"));
  const std::vector<std::string> csv = lines(dir_->read("Export/Results_X0.csv"));
  // 4 modes x (5 block lines + 3 distributions x (1 + 4 rows + 2 empty)).
  ASSERT_EQ(csv.size(), 4u * (5 + 3 * 7));
  const double triLow = normalCdf(0.5, 1, 1.0 / 6);
  const double triMid = normalCdf(1, 1, 1.0 / 6);
  const std::vector<std::string> firstBlock = {
      "X0;Matrix_0;NoPivot;;",
      "Exact;1;;;",
      "IntLow;0.5;;;",
      "IntHig;1.5;;;",
      "",
      "Triangular;Borders;VALID;INVALID;",
      ";<0.5;0;" + fmt(triLow) + ";",
      ";1;0.5;" + fmt(triMid - triLow) + ";",
      ";1.5;0.5;" + fmt(normalCdf(1.5, 1, 1.0 / 6) - triMid) + ";",
      ";>1.5;0;" + fmt(1 - normalCdf(1.5, 1, 1.0 / 6)) + ";",
      "",
      ""};
  EXPECT_EQ(std::vector<std::string>(csv.begin(), csv.begin() + 12),
            firstBlock);
  EXPECT_EQ(csv[26], "X0;Matrix_0;RowPivot;;");
  EXPECT_EQ(csv[52], "X0;Matrix_0;ColPivot;;");
  EXPECT_EQ(csv[78], "X0;Matrix_0;RowColPivot;;");
  // Complete pivoting moved unknown 0 to position 1: still stored as X0.
  EXPECT_EQ(csv[79], "Exact;1;;;");
  EXPECT_EQ(csv[78 + 19], "Uniform;Borders;VALID;INVALID;");
  EXPECT_EQ(csv[78 + 21], ";0.5;0.5;" +
                              fmt(normalCdf(0.5, 1, 1.0 / 3) -
                                  normalCdf(0, 1, 1.0 / 3)) +
                              ";");
  for (const std::string& line : csv) {
    if (!line.empty()) {
      EXPECT_EQ(std::count(line.begin(), line.end(), ';'), 4) << line;
    }
  }
  EXPECT_EQ(lines(dir_->read("Export/Results_X1.csv"))[1], "Exact;2;;;");
}

TEST(SamplingRunTest, AgreesWithTheNormalApproximationOnADiagonalSystem) {
  WorkDir dir;
  dir.write("Settings.txt",
            "Dimensions 2\nSolverThreadCount 2\nGeneratorThreadCount 0\n"
            "IntegrationPrecision 2\nHistogramPrecision 4\nMaxMatrix 1\n"
            "ExactDistributions 0\nSampleCount 40000\n");
  writeDiagonalSystem(dir);
  const ProgramRun run = testing::runProgramIn(dir);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_NE(run.out.find("\nEach RHS distribution will be represented by "
                         "40000 samples.\n"),
            std::string::npos);
  EXPECT_EQ(run.out.find("Expect "), std::string::npos);
  EXPECT_FALSE(dir.exists("Export"));
  ASSERT_TRUE(dir.exists("ExportApprox/Results_X1.csv"));

  // Every VALID table holds the whole sampled mass (40000 float weights,
  // 0.99999997...); the CSV prints 6 digits, so 4 bands add up to 1 within
  // 4 half-units of the sixth digit.
  const std::vector<std::string> csv =
      lines(dir.read("ExportApprox/Results_X0.csv"));
  std::string family;
  double validSum = 0;
  int tables = 0;
  for (const std::string& line : csv) {
    if (line.find("Borders;VALID;INVALID;") != std::string::npos) {
      family = line.substr(0, line.find(';'));
      validSum = 0;
    } else if (line.empty() && !family.empty()) {
      EXPECT_NEAR(validSum, 1.0, 2e-6) << family;
      ++tables;
      family.clear();
    } else if (!family.empty() && line[1] != '<' && line[1] != '>') {
      // ";border;VALID;INVALID;"
      std::istringstream fields(line.substr(1));
      std::string border, valid, invalid;
      std::getline(fields, border, ';');
      std::getline(fields, valid, ';');
      std::getline(fields, invalid, ';');
      validSum += std::stod(valid);
      if (family == "Normal") {
        // The diagonal system keeps the inputs independent, so the sampled
        // band mass matches the exact normal law within sampling error:
        // 5 standard errors of a share among 40000 draws is at most 0.0125.
        EXPECT_NEAR(std::stod(valid), std::stod(invalid), 0.0125) << line;
      }
    }
  }
  EXPECT_EQ(tables, 4 * 3);
}

TEST(SettingsMessagesTest, NamesAMissingOrIncompleteSettingsFile) {
  WorkDir dir;
  ProgramRun run = testing::runProgramIn(dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "No Settings.txt file found. Using defaults");
  EXPECT_EQ(run.err, "Matrix0/ ... Matrix4/ are missing\n");

  dir.write("Settings.txt", "Dimensions 2\nSolvers 1\nGenerators\n");
  run = testing::runProgramIn(dir);
  EXPECT_EQ(run.out,
            "Settings.txt ended early; these options keep their defaults: "
            "GeneratorThreadCount, IntegrationPrecision, HistogramPrecision, "
            "MaxMatrix, ExactDistributions, SampleCount\n");
}

TEST(ThreadCountRunTest, GivesTheSameFilesByteForByte) {
  // A full matrix, so that every solved value depends on both inputs.
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
  one.write("Settings.txt", testing::enumerationSettings(1, 1, 301));
  many.write("Settings.txt", testing::enumerationSettings(3, 4, 301));
  ASSERT_EQ(testing::runProgramIn(one).status, 0);
  ASSERT_EQ(testing::runProgramIn(many).status, 0);
  for (const char* file :
       {"Matrix0/RESULTS_FF.txt", "Matrix0/RESULTS_TF.txt",
        "Matrix0/RESULTS_FT.txt", "Matrix0/RESULTS_TT.txt",
        "Export/Results_X0.csv", "Export/Results_X1.csv"}) {
    EXPECT_EQ(one.read(file), many.read(file)) << file;
  }
}

TEST(SettingsMessagesTest, WarnsOnceAboutLabelsAtOtherPlacesAndRuns) {
  WorkDir dir;
  writeDiagonalSystem(dir);
  dir.write("Settings.txt",
            "SolverThreadCount 2\nDimensions 1\nG 1\nI 2\nH 2\nM 1\nE 1\n"
            "N 5\n");
  const ProgramRun run = testing::runProgramIn(dir);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err,
            "Settings.txt: values are read by position; these labels name "
            "other options: SolverThreadCount at the place of Dimensions, "
            "Dimensions at the place of SolverThreadCount\n");
}

// Settings that would give a run without jobs or systems are refused before
// anything is written, so the files of an earlier run stay as they were.
TEST(MeaninglessSettingsRunTest, AreRefusedAndLeaveEarlierResultsIntact) {
  WorkDir dir;
  writeDiagonalSystem(dir);
  dir.write("Settings.txt", testing::enumerationSettings(1, 1, 2));
  ASSERT_EQ(testing::runProgramIn(dir).status, 0);
  const std::string csv = dir.read("Export/Results_X0.csv");
  const std::string summary = dir.read("Matrix0/RESULTS_FF.txt");
  ASSERT_FALSE(csv.empty());

  const std::vector<std::pair<std::string, std::string>> cases = {
      {"D 2 S 1 G 1 I 2 H 5 MaxMatrix 0 E 1 N 100",
       "Settings.txt: MaxMatrix 0: at least one system is needed\n"},
      {"D 2 S 1 G 1 I 2 H 5 MaxMatrix -1 E 1 N 100",
       "Settings.txt: MaxMatrix -1: at least one system is needed\n"},
      {"D 2 S 1 G 1 I -3 H 5 M 1 E 1 N 100",
       "Settings.txt: IntegrationPrecision -3: at least one cell per entry "
       "is needed\n"},
      {"D 2 S 1 G 1 I 2 H 5 M 1 E 0 N -5",
       "Settings.txt: SampleCount -5: at least one sample is needed\n"},
      {"D 2 S 1 G 1000000 I 2 H 2000000000 M 1 E 1 N 5",
       "Settings.txt: GeneratorThreadCount 1000000: at most 1024 threads are "
       "supported\nSettings.txt: HistogramPrecision 2000000000: at most "
       "1000000 bands are supported\n"},
      {"D 2 S 1 G 1 I 2 H 5 M 2147483647 E 1 N 5",
       "Matrix1/ ... Matrix2147483646/ are missing\n"},
  };
  for (const auto& [settings, err] : cases) {
    dir.write("Settings.txt", settings);
    const ProgramRun run = testing::runProgramIn(dir);
    EXPECT_EQ(run.status, 1) << settings;
    EXPECT_EQ(run.err, err) << settings;
    EXPECT_EQ(run.out.find("Pivot mode"), std::string::npos) << settings;
    EXPECT_EQ(dir.read("Export/Results_X0.csv"), csv) << settings;
    EXPECT_EQ(dir.read("Matrix0/RESULTS_FF.txt"), summary) << settings;
  }
}

// One run per folder, files that are complete or absent, and a run that a
// signal stops.

TEST(RunSafetyTest, ASecondRunInTheSameFolderIsRefused) {
  WorkDir dir;
  writeDiagonalSystem(dir);
  dir.write("Settings.txt", testing::enumerationSettings(1, 1, 2));
  {
    FolderLock held;
    ASSERT_TRUE(held.acquire((dir.path() / ".linprob.lock").string()).ok());
    const ProgramRun refused = testing::runProgramIn(dir);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              ".linprob.lock: another run is working in this folder\n");
    EXPECT_EQ(refused.out, "");
    EXPECT_FALSE(dir.exists("Matrix0/RESULTS_FF.txt"));
  }
  // Released: the next run goes ahead and leaves no lock file behind.
  EXPECT_EQ(testing::runProgramIn(dir).status, 0);
  EXPECT_FALSE(dir.exists(".linprob.lock"));
}

std::vector<std::filesystem::path> filesEndingIn(const WorkDir& dir,
                                                 const std::string& ending) {
  std::vector<std::filesystem::path> found;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if (name.size() >= ending.size() &&
        name.compare(name.size() - ending.size(), ending.size(), ending) ==
            0) {
      found.push_back(entry.path());
    }
  }
  return found;
}

// A file size limit stands for a full disk (the writes fail with the
// system's reason): the run ends with that reason, removes the temporary and
// leaves the earlier file alone.
TEST(RunSafetyTest, ASummaryFileThatCannotBeWrittenEndsTheRun) {
  WorkDir dir;
  writeDiagonalSystem(dir);
  dir.write("Settings.txt", "D 2 S 1 G 1 I 2 H 50 M 1 E 1 N 10\n");
  dir.write("Matrix0/RESULTS_FF.txt", "earlier results\n");
  const ProgramRun run = testing::runProgramFrom(
      dir.path(), {"-q"}, "trap '' XFSZ; ulimit -f 4;");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            "Matrix0/RESULTS_FF.txt: cannot be written: File too large\n");
  EXPECT_EQ(dir.read("Matrix0/RESULTS_FF.txt"), "earlier results\n");
  EXPECT_TRUE(filesEndingIn(dir, ".tmp").empty());
  EXPECT_FALSE(dir.exists("Export"));
}

// SIGTERM while the second summary file is being computed: the first one
// stays, no temporary is left, and the one line says what was kept.
TEST(RunSafetyTest, ASignalStopsTheRunAndKeepsTheCompletedFiles) {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    WorkDir dir;
    writeDiagonalSystem(dir);
    // 4 unknowns of 60 cells: 13 million jobs per phase, long enough that
    // the run is still in its second mode when the signal comes.
    dir.write("Settings.txt",
              "D 4 S 2 G 2 I 60 H 10 M 1 E 1 N 10\n");
    dir.write("Matrix0/Matice.txt",
              "4 1 0 0\n1 4 1 0\n0 1 4 1\n0 0 1 4\n");
    dir.write("Matrix0/RealRHS.txt", "1 2 3 4\n");
    dir.write("Matrix0/IntRHS.txt", "0 1 1 2 2 3 3 4\n");
    dir.write("Matrix0/NormalRHS.txt", "1 1 2 1 3 1 4 1\n");
    dir.write("Matrix0/UniformRHS.txt", "0 1 1 2 2 3 3 4\n");
    testing::StartedProgram program(dir);
    ASSERT_TRUE(testing::waitForFile(dir.path() / "Matrix0/RESULTS_FF.txt",
                                     std::chrono::seconds(600)));
    program.signal(signal);
    const ProgramRun run = program.wait();
    EXPECT_EQ(run.status, 128 + signal);
    const std::string name = signal == SIGTERM  ? "SIGTERM"
                             : signal == SIGINT ? "SIGINT"
                                                : "SIGHUP";
    EXPECT_EQ(run.err, "Interrupted by " + name +
                           ": kept 1 completed summary file and 0 CSV files; "
                           "nothing unfinished was left\n");
    EXPECT_TRUE(filesEndingIn(dir, ".tmp").empty());
    EXPECT_EQ(filesEndingIn(dir, "RESULTS_FF.txt").size(), 1u);
    EXPECT_EQ(filesEndingIn(dir, "RESULTS_TF.txt").size(), 0u);
    EXPECT_FALSE(dir.exists("Export"));
    EXPECT_FALSE(dir.exists(".linprob.lock"));
  }
}

}  // namespace
}  // namespace linprob
