#include "output/report_folder.h"

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <system_error>

#include "base/output_file.h"
#include "base/status.h"
#include "output/html_report.h"
#include "output/results_json.h"
#include "output/tidy_csv.h"

namespace linprob {

ReportWritten writeReport(const RunInfo& run, const ResultStore& store,
                          const std::string& folder) {
  ReportWritten outcome;
  std::vector<std::string>& failures = outcome.failures;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!std::filesystem::is_directory(folder, error)) {
    failures.push_back(folder + ": cannot be created");
    return outcome;
  }
  // True when the file is in place; a failure is added to `failures`.
  const auto report = [&](const char* name,
                          const std::function<void(std::ostream&)>& write) {
    OutputFile file(folder + name);
    Status written = file.open();
    if (written.ok()) {
      write(file.stream());
      written = file.commit();
    }
    if (!written.ok()) {
      failures.push_back(file.target() + ": " + written.message());
    }
    return written.ok();
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
  report("sensitivity.csv",
         [&](std::ostream& out) { writeSensitivityCsv(store, out); });
  outcome.pageWritten = report(
      kReportPage, [&](std::ostream& out) { out << renderHtmlReport(json); });
  return outcome;
}

}  // namespace linprob
