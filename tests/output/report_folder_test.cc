#include "output/report_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/report_store.h"
#include "support/temp_dir.h"

namespace linprob {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

TEST(ReportFolderTest, CreatesTheFolderAndRenamesEachFileIntoPlace) {
  TempDir dir;
  const std::string folder = dir.path("deeper/Report") + "/";
  const ResultStore store = testing::reportStore();
  EXPECT_TRUE(writeReport(RunInfo{}, store, folder).empty());
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"bands.csv", "results.json",
                                             "unknowns.csv"}));
}

TEST(ReportFolderTest, NamesWhatCannotBeWritten) {
  TempDir dir;
  const ResultStore store = testing::reportStore();
  dir.write("Report", "a file where the folder should be");
  EXPECT_EQ(writeReport(RunInfo{}, store, dir.path("Report") + "/"),
            (std::vector<std::string>{dir.path("Report") + "/: cannot be created"}));

  // A folder in the way of one file: the others are still written.
  const std::string folder = dir.path("Other") + "/";
  fs::create_directories(folder + "bands.csv");
  EXPECT_EQ(writeReport(RunInfo{}, store, folder),
            (std::vector<std::string>{folder + "bands.csv: cannot be written"}));
  EXPECT_TRUE(fs::is_regular_file(folder + "results.json"));
  EXPECT_TRUE(fs::is_regular_file(folder + "unknowns.csv"));
  EXPECT_FALSE(fs::exists(folder + "bands.csv.tmp"));
}

}  // namespace
}  // namespace linprob
