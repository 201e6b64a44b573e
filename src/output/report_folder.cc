#include "output/report_folder.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <system_error>

#include "output/html_report.h"
#include "output/results_json.h"
#include "output/tidy_csv.h"

namespace linprob {
namespace {

// Writes `target` through its temporary name; false when any step fails,
// leaving no temporary file behind.
bool writeFile(const std::string& target,
               const std::function<void(std::ostream&)>& write) {
  const std::string temporary = target + ".tmp";
  bool written = false;
  {
    std::ofstream out(temporary, std::ios::out | std::ios::trunc);
    if (out.is_open()) {
      write(out);
      out.close();
      written = !out.fail();
    }
  }
  std::error_code error;
  if (written) {
    std::filesystem::rename(temporary, target, error);
    if (!error) return true;
  }
  // Only a plain file of ours is removed.
  if (std::filesystem::is_regular_file(temporary, error)) {
    std::filesystem::remove(temporary, error);
  }
  return false;
}

}  // namespace

std::vector<std::string> writeReport(const RunInfo& run,
                                     const ResultStore& store,
                                     const std::string& folder) {
  std::vector<std::string> failures;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!std::filesystem::is_directory(folder, error)) {
    failures.push_back(folder + ": cannot be created");
    return failures;
  }
  const auto report = [&](const char* name,
                          const std::function<void(std::ostream&)>& write) {
    const std::string target = folder + name;
    if (!writeFile(target, write)) {
      failures.push_back(target + ": cannot be written");
    }
  };
  // One rendering of the results document serves results.json and the page
  // that embeds it.
  std::ostringstream document;
  writeResultsJson(run, store, document);
  const std::string json = document.str();
  report("results.json", [&](std::ostream& out) { out << json; });
  report("bands.csv", [&](std::ostream& out) { writeBandsCsv(store, out); });
  report("unknowns.csv",
         [&](std::ostream& out) { writeUnknownsCsv(store, out); });
  report(kReportPage,
         [&](std::ostream& out) { out << renderHtmlReport(json); });
  return failures;
}

}  // namespace linprob
