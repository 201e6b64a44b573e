#include "results/csv_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "linear/temp_dir.h"

namespace linprob {
namespace {

using testing::readFile;
using testing::TempDir;
namespace fs = std::filesystem;

// Unknown 1 of one system: mode 0 carries values and tables, modes 1 to 3
// only numbers.
ResultStore smallStore() {
  ResultStore store(2, 1, 4, 3);
  store.exactValue[1][0][0] = 0.7;
  store.intervalLow[1][0][0] = 0.6;
  store.intervalHigh[1][0][0] = 0.8;
  std::vector<ProbabilityMap>& lower = store.lowerTail[1][0][0];
  std::vector<ProbabilityMap>& bins = store.bins[1][0][0];
  std::vector<ProbabilityMap>& upper = store.upperTail[1][0][0];
  lower[0][0.6] = {0, 0.0023};
  bins[0][0.8] = {0.45, 0.51};  // inserted out of order on purpose
  bins[0][0.7] = {0.55, 0.48};
  upper[0][0.8] = {0, 0.0077};
  bins[1][2] = {1, 0.99};
  upper[1][2] = {0, 0.01};
  lower[2][-1] = {0, 1.0 / 3.0};
  for (int p = 1; p < 4; ++p) {
    store.exactValue[1][0][p] = 1e-7;
    store.intervalLow[1][0][p] = -2.5;
    store.intervalHigh[1][0][p] = 123456789.0;
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
    ";2;1;0.99;\n"
    ";>2;0;0.01;\n"
    "\n"
    "\n"
    "Uniform;Borders;VALID;INVALID;\n"
    ";<-1;0;0.333333;\n"
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
  EXPECT_EQ(nonEmpty, 4 * 7 + 7);
}

TEST(CsvExportTest, OneFilePerUnknownAndNoTemporaryLeft) {
  TempDir dir;
  const std::string prefix = dir.path("Export/");
  EXPECT_TRUE(exportCsv(smallStore(), prefix).empty());
  EXPECT_EQ(filesIn(prefix),
            (std::vector<std::string>{"Results_X0.csv", "Results_X1.csv"}));
  EXPECT_EQ(readFile(prefix + "Results_X1.csv"), kSmallStoreText);
}

TEST(CsvExportTest, MissingFoldersAreCreatedAndOldFilesOverwritten) {
  TempDir dir;
  const std::string prefix = dir.path("deep/er/ExportApprox/");
  EXPECT_TRUE(exportCsv(smallStore(), prefix).empty());
  EXPECT_EQ(readFile(prefix + "Results_X1.csv"), kSmallStoreText);

  // A longer file from an earlier run is replaced, not partly overwritten.
  dir.write("deep/er/ExportApprox/Results_X1.csv", std::string(10000, 'x'));
  EXPECT_TRUE(exportCsv(smallStore(), prefix).empty());
  EXPECT_EQ(readFile(prefix + "Results_X1.csv"), kSmallStoreText);
}

TEST(CsvExportTest, NoSystemsGiveEmptyFiles) {
  TempDir dir;
  const ResultStore store(3, 0, 4, 3);
  EXPECT_TRUE(exportCsv(store, dir.prefix()).empty());
  EXPECT_EQ(filesIn(dir.prefix()),
            (std::vector<std::string>{"Results_X0.csv", "Results_X1.csv",
                                      "Results_X2.csv"}));
  EXPECT_EQ(readFile(dir.path("Results_X2.csv")), "");
}

TEST(CsvExportTest, UnwritableFileIsReportedAndTheOthersAreWritten) {
  TempDir dir;
  // A folder where unknown 0's file should go.
  fs::create_directories(dir.path("Results_X0.csv/inside"));
  const std::vector<std::string> failures =
      exportCsv(smallStore(), dir.prefix());
  EXPECT_EQ(failures, (std::vector<std::string>{
                          dir.path("Results_X0.csv") + ": cannot be written"}));
  EXPECT_EQ(readFile(dir.path("Results_X1.csv")), kSmallStoreText);
  EXPECT_EQ(filesIn(dir.prefix()),
            (std::vector<std::string>{"Results_X0.csv", "Results_X1.csv"}));
  EXPECT_TRUE(fs::is_directory(dir.path("Results_X0.csv")));
}

TEST(CsvExportTest, FolderThatCannotBeCreatedIsReported) {
  TempDir dir;
  dir.write("plain", "a file, not a folder");
  const std::string prefix = dir.path("plain/Export/");
  EXPECT_EQ(exportCsv(smallStore(), prefix),
            (std::vector<std::string>{prefix + ": cannot be created"}));
}

}  // namespace
}  // namespace linprob
