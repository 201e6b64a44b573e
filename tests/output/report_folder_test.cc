// The Report/ folder of a run of many systems: the index page, and a page
// of its own for every system the index leaves out, beside the script and
// style sheet those pages share.
#include "output/report_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "output/html_report.h"
#include "output/page_document.h"
#include "output/page_form.h"
#include "support/many_systems.h"
#include "support/temp_dir.h"

namespace linprob {
namespace {

namespace fs = std::filesystem;

double spread(int system) { return static_cast<double>(system % 13) / 100.0; }

// Every file of the table has its writer and both estimates (a function's
// address is no constant expression under the sanitizers, so no
// static_assert can hold this), and a file built in memory says so.
TEST(ReportFolderTest, EveryFileHasItsWriterAndBothEstimates) {
  for (const ReportFile& file : reportFiles()) {
    EXPECT_FALSE(file.name.empty());
    EXPECT_NE(file.write, nullptr) << file.name;
    EXPECT_NE(file.estimate, nullptr) << file.name;
    EXPECT_NE(file.memory, nullptr) << file.name;
  }
  RunShape shape;
  shape.systems = 1;
  shape.unknowns = 10;
  shape.bands = 11;
  for (const ReportFile& file : reportFiles()) {
    if (file.name == "results.nc") {
      EXPECT_GT(file.memory(shape), 0.0);
    }
  }
}

TEST(ReportFolderTest, SystemsLeftOutOfTheIndexGetPagesOfTheirOwn) {
  testing::TempDir dir;
  const ResultStore store = testing::manySystems(30, 2, 10, spread);
  const std::vector<int> drawn = choosePageForm(store).systems;
  ASSERT_EQ(drawn.size(), static_cast<std::size_t>(kMostPageSystems));

  const ReportWritten written = writeReport(RunInfo{}, store, dir.prefix() + "Report/");
  EXPECT_TRUE(written.failures.empty());
  EXPECT_TRUE(written.pageWritten);
  // results.json, three tables, results.nc, the index, the two shared
  // files and the 20 pages.
  EXPECT_EQ(written.written, 5 + 1 + 2 + 20);
  for (int s = 0; s < 30; ++s) {
    const bool own = std::find(drawn.begin(), drawn.end(), s) == drawn.end();
    EXPECT_EQ(fs::exists(dir.path("Report/systems/system-" + std::to_string(s) + ".html")), own) << s;
  }
  const std::string page = testing::readFile(dir.path("Report/systems/system-0.html"));
  EXPECT_NE(page.find("<script src=\"report.js\"></script>"), std::string::npos);
  EXPECT_NE(page.find("\"own_page\":{\"system_count\":30"), std::string::npos);
  EXPECT_EQ(page.find("Chart.js v3"), std::string::npos);  // not embedded
  EXPECT_NE(testing::readFile(dir.path("Report/systems/report.js")).find("Chart.js v3"),
            std::string::npos);
  EXPECT_TRUE(fs::exists(dir.path("Report/systems/report.css")));
  const std::string index = testing::readFile(dir.path("Report/index.html"));
  EXPECT_NE(index.find("\"system_list\":{\"pages\":\"systems/\""), std::string::npos);
  for (const auto& entry : fs::directory_iterator(dir.path("Report/systems"))) {
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
  }
}

// A report kept in memory holds the folder's files byte for byte, by the
// same paths.
TEST(ReportFolderTest, AReportInMemoryHoldsTheFilesOfTheFolder) {
  testing::TempDir dir;
  const ResultStore store = testing::manySystems(30, 2, 10, spread);
  const ReportWritten written = writeReport(RunInfo{}, store, dir.prefix() + "Report/");
  ReportBytes bytes;
  const ReportWritten kept = writeReportBytes(RunInfo{}, store, bytes);
  EXPECT_TRUE(kept.failures.empty());
  EXPECT_TRUE(kept.pageWritten);
  EXPECT_EQ(kept.written, written.written);
  std::size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir.path("Report"))) {
    if (!entry.is_regular_file()) continue;
    ++files;
    const std::string name = fs::relative(entry.path(), dir.path("Report")).string();
    ASSERT_EQ(bytes.count(name), 1u) << name;
    EXPECT_TRUE(bytes[name] == testing::readFile(entry.path())) << name;
  }
  EXPECT_EQ(bytes.size(), files);
  // A stop keeps no file cut short.
  std::stop_source stop;
  stop.request_stop();
  ReportBytes none;
  EXPECT_TRUE(writeReportBytes(RunInfo{}, store, none, stop.get_token()).stopped);
  EXPECT_TRUE(none.empty());
}

TEST(ReportFolderTest, PagesThatCannotBeWrittenAreNamedOnceAndCounted) {
  testing::TempDir dir;
  const ResultStore store = testing::manySystems(30, 2, 10, spread);
  // Folders where three of the pages belong: none of them can take its place.
  std::vector<int> blocked;
  const std::vector<int> drawn = choosePageForm(store).systems;
  for (int s = 0; s < 30 && blocked.size() < 3; ++s) {
    if (std::find(drawn.begin(), drawn.end(), s) != drawn.end()) continue;
    blocked.push_back(s);
    fs::create_directories(dir.path("Report/systems/system-" + std::to_string(s) + ".html/inside"));
  }
  const ReportWritten written = writeReport(RunInfo{}, store, dir.prefix() + "Report/");
  ASSERT_EQ(written.failures.size(), 2u);
  EXPECT_EQ(written.failures[0].rfind(dir.prefix() + "Report/systems/system-" +
                                          std::to_string(blocked[0]) + ".html: cannot be written: ",
                                      0),
            0u)
      << written.failures[0];
  EXPECT_EQ(written.failures[1],
            dir.prefix() + "Report/systems/: 2 more pages could not be written");
  // The other pages and the index are in place.
  EXPECT_TRUE(written.pageWritten);
  EXPECT_EQ(written.written, 5 + 1 + 2 + 17);
}

}  // namespace
}  // namespace linprob
