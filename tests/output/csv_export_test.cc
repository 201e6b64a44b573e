#include "output/csv_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <stop_token>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace linprob {
namespace {

using testing::readFile;
using testing::TempDir;
namespace fs = std::filesystem;

// Unknown 1 of one system: mode 0 carries values and tables, modes 1 to 3
// only numbers. Triangular: two bands with an approximation; Normal: one band
// without one; Uniform: no job solved.
ResultStore smallStore() {
  ResultStore store(2, 1);
  for (const PivotMode& mode : kPivotModes) {
    SystemResult result;
    result.mode = mode;
    result.columnOrder = {1, 0};
    const bool first = mode.index == 0;
    // The export prints the lower end of the interval replay, not the
    // point.
    result.plainReplay = {first ? 0.75 : 2e-7, 0.0};
    result.plainReplayBounds = {first ? Interval(0.7, 0.8) : Interval(1e-7, 3e-7),
                          Interval(0)};
    result.interval = {first ? Interval(0.6, 0.8) : Interval(-2.5, 123456789.0),
                       Interval(0)};
    if (first) {
      PositionResult triangular;
      triangular.unknown = 1;
      triangular.valid.count = 2;
      triangular.valid.min = 0.6;
      triangular.valid.max = 0.8;
      triangular.valid.step = 0.1;
      triangular.valid.borders = {0.7, 0.8};
      triangular.valid.masses = {0.55, 0.45};
      triangular.moments = {0.7, 0.01};
      triangular.invalid = NormalTable{0.0023, {0.48, 0.51}, 0.8, 0.0077};
      PositionResult normal;
      normal.unknown = 1;
      normal.valid.count = 1;
      normal.valid.min = 2;
      normal.valid.max = 2;
      normal.valid.borders = {2};
      normal.valid.masses = {1};
      normal.approxState = ApproxState::kNegativeVariance;
      PositionResult uniform;
      uniform.unknown = 1;
      result.phases = {PhaseResult{Family::kTriangular, {triangular}},
                       PhaseResult{Family::kNormal, {normal}},
                       PhaseResult{Family::kUniform, {uniform}}};
    }
    store.add(result);
  }
  return store;
}

std::string emptyBlock(const std::string& mode) {
  return "X1;Matrix_0;" + mode +
         ";;\nExact;1e-07;;;\nIntLow;-2.5;;;\nIntHig;1.23457e+08;;;\n\n"
         "Triangular;Borders;VALID;INVALID;\n\n\n"
         "Normal;Borders;VALID;INVALID;\n\n\n"
         "Uniform;Borders;VALID;INVALID;\n\n\n";
}

const std::string kSmallStoreText =
    "X1;Matrix_0;NoPivot;;\n"
    "Exact;0.7;;;\n"
    "IntLow;0.6;;;\n"
    "IntHig;0.8;;;\n"
    "\n"
    "Triangular;Borders;VALID;INVALID;\n"
    ";<0.6;0;0.0023;\n"
    ";0.7;0.55;0.48;\n"
    ";0.8;0.45;0.51;\n"
    ";>0.8;0;0.0077;\n"
    "\n"
    "\n"
    "Normal;Borders;VALID;INVALID;\n"
    ";2;1;0;\n"
    "\n"
    "\n"
    "Uniform;Borders;VALID;INVALID;\n"
    "\n"
    "\n" +
    emptyBlock("RowPivot") + emptyBlock("ColPivot") +
    emptyBlock("RowColPivot");

std::vector<std::string> filesIn(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(CsvExportTest, LayoutOfOneUnknown) {
  std::ostringstream out;
  writeCsv(smallStore(), 1, out);
  EXPECT_EQ(out.str(), kSmallStoreText);
}

TEST(CsvExportTest, EveryNonEmptyLineHasFourSemicolons) {
  std::ostringstream out;
  writeCsv(smallStore(), 1, out);
  std::istringstream lines(out.str());
  std::string line;
  int nonEmpty = 0;
  while (std::getline(lines, line)) {
    if (line.empty()) continue;
    ++nonEmpty;
    EXPECT_EQ(std::count(line.begin(), line.end(), ';'), 4) << line;
  }
  EXPECT_EQ(nonEmpty, 4 * 7 + 5);
}

TEST(CsvExportTest, OneFilePerUnknownAndNoTemporaryLeft) {
  TempDir dir;
  const std::string prefix = dir.path("Export/");
  EXPECT_TRUE(exportCsv(smallStore(), prefix).failures.empty());
  EXPECT_EQ(filesIn(prefix),
            (std::vector<std::string>{"Results_X0.csv", "Results_X1.csv"}));
  EXPECT_EQ(readFile(prefix + "Results_X1.csv"), kSmallStoreText);
}

TEST(CsvExportTest, MissingFoldersAreCreatedAndOldFilesOverwritten) {
  TempDir dir;
  const std::string prefix = dir.path("deep/er/ExportApprox/");
  EXPECT_TRUE(exportCsv(smallStore(), prefix).failures.empty());
  EXPECT_EQ(readFile(prefix + "Results_X1.csv"), kSmallStoreText);

  // A longer file from an earlier run is replaced, not partly overwritten.
  dir.write("deep/er/ExportApprox/Results_X1.csv", std::string(10000, 'x'));
  EXPECT_TRUE(exportCsv(smallStore(), prefix).failures.empty());
  EXPECT_EQ(readFile(prefix + "Results_X1.csv"), kSmallStoreText);
}

TEST(CsvExportTest, NoSystemsGiveEmptyFiles) {
  TempDir dir;
  const ResultStore store(3, 0);
  EXPECT_TRUE(exportCsv(store, dir.prefix()).failures.empty());
  EXPECT_EQ(filesIn(dir.prefix()),
            (std::vector<std::string>{"Results_X0.csv", "Results_X1.csv",
                                      "Results_X2.csv"}));
  EXPECT_EQ(readFile(dir.path("Results_X2.csv")), "");
}

TEST(CsvExportTest, UnwritableFileIsReportedAndTheOthersAreWritten) {
  TempDir dir;
  // A folder where unknown 0's file should go.
  fs::create_directories(dir.path("Results_X0.csv/inside"));
  const CsvExport exported = exportCsv(smallStore(), dir.prefix());
  EXPECT_EQ(exported.failures,
            (std::vector<std::string>{dir.path("Results_X0.csv") +
                                      ": cannot be written: Is a directory"}));
  EXPECT_EQ(exported.written, 1);
  EXPECT_EQ(readFile(dir.path("Results_X1.csv")), kSmallStoreText);
  EXPECT_EQ(filesIn(dir.prefix()),
            (std::vector<std::string>{"Results_X0.csv", "Results_X1.csv"}));
  EXPECT_TRUE(fs::is_directory(dir.path("Results_X0.csv")));
}

TEST(CsvExportTest, FolderThatCannotBeCreatedIsReported) {
  TempDir dir;
  dir.write("plain", "a file, not a folder");
  const std::string prefix = dir.path("plain/Export/");
  EXPECT_EQ(exportCsv(smallStore(), prefix).failures,
            (std::vector<std::string>{prefix +
                                      ": cannot be created: Not a directory"}));
}

// Files of unknowns beyond this run's, left by a run with more, are named
// once and left alone; so is anything else that is not this run's export.
TEST(CsvExportTest, FilesOfUnknownsBeyondTheRunAreNamedAndKept) {
  TempDir dir;
  for (const char* name : {"Results_X2.csv", "Results_X11.csv",
                           "Results_X02.csv", "Results_X3.csv.ab12CD.tmp",
                           "Results_X4.txt"}) {
    dir.write(name, "earlier");
  }
  const CsvExport exported = exportCsv(smallStore(), dir.prefix());
  EXPECT_TRUE(exported.failures.empty());
  EXPECT_EQ(exported.leftover,
            dir.prefix() + ": left from an earlier run with more unknowns "
                           "(this run has 2): Results_X2.csv, Results_X11.csv");
  EXPECT_EQ(readFile(dir.path("Results_X11.csv")), "earlier");

  TempDir many;
  for (int v = 2; v < 14; ++v) {
    many.write("Results_X" + std::to_string(v) + ".csv", "earlier");
  }
  EXPECT_EQ(exportCsv(smallStore(), many.prefix()).leftover,
            many.prefix() + ": left from an earlier run with more unknowns "
                            "(this run has 2): Results_X2.csv, Results_X3.csv, "
                            "Results_X4.csv, Results_X5.csv, Results_X6.csv, "
                            "Results_X7.csv, Results_X8.csv, Results_X9.csv, "
                            "Results_X10.csv, Results_X11.csv and 2 more");
  EXPECT_EQ(exportCsv(smallStore(), dir.path("fresh/")).leftover, std::nullopt);
}

// On several threads: the same files and count, the failures in the
// unknowns' order.
TEST(CsvExportTest, ThreadsWriteTheSameFilesAndReportInOrder) {
  TempDir blocked;
  fs::create_directories(blocked.path("Results_X0.csv/inside"));
  fs::create_directories(blocked.path("Results_X1.csv/inside"));
  const CsvExport exported = exportCsv(smallStore(), blocked.prefix(), {}, 4);
  EXPECT_EQ(exported.written, 0);
  EXPECT_EQ(exported.failures,
            (std::vector<std::string>{
                blocked.path("Results_X0.csv") +
                    ": cannot be written: Is a directory",
                blocked.path("Results_X1.csv") +
                    ": cannot be written: Is a directory"}));

  TempDir open;
  const CsvExport shared = exportCsv(smallStore(), open.prefix(), {}, 3);
  EXPECT_EQ(shared.written, 2);
  EXPECT_TRUE(shared.failures.empty());
  EXPECT_EQ(readFile(open.path("Results_X1.csv")), kSmallStoreText);
}

TEST(CsvExportTest, AStoppedRunWritesNoFurtherFile) {
  TempDir dir;
  std::stop_source source;
  source.request_stop();
  for (const unsigned threads : {1u, 2u}) {
    const CsvExport exported =
        exportCsv(smallStore(), dir.prefix(), source.get_token(), threads);
    EXPECT_TRUE(exported.stopped);
    EXPECT_EQ(exported.written, 0);
    EXPECT_TRUE(exported.failures.empty());
    EXPECT_TRUE(filesIn(dir.prefix()).empty());
  }
}

}  // namespace
}  // namespace linprob
