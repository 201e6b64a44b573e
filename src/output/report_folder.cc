#include "output/report_folder.h"

#include <functional>
#include <string>

#include "base/output_buffer.h"
#include "base/output_file.h"
#include "base/status.h"
#include "output/html_report.h"
#include "output/page_document.h"
#include "output/results_json.h"
#include "output/tidy_csv.h"

namespace linprob {

ReportWritten writeReport(const RunInfo& run, const ResultStore& store,
                          const std::string& folder,
                          const std::stop_token& stop) {
  ReportWritten outcome;
  if (const Status made = makeOutputFolder(folder); !made.ok()) {
    outcome.failures.push_back(folder + ": " + made.message());
    return outcome;
  }
  // True when the file is in place; a failure is added to `failures`, and a
  // stop ends the report.
  const auto report = [&](const char* name,
                          const std::function<void(std::ostream&)>& write) {
    if (outcome.stopped) return false;
    const std::string target = folder + name;
    const Status written = writeOutputFile(target, write, stop);
    if (written.ok()) ++outcome.written;
    if (stop.stop_requested()) {
      outcome.stopped = true;
    } else if (!written.ok()) {
      outcome.failures.push_back(target + ": " + written.message());
    }
    return written.ok();
  };
  report("results.json",
         [&](std::ostream& out) { writeResultsJson(run, store, out); });
  report("bands.csv", [&](std::ostream& out) { writeBandsCsv(store, out); });
  report("unknowns.csv",
         [&](std::ostream& out) { writeUnknownsCsv(store, out); });
  report("sensitivity.csv",
         [&](std::ostream& out) { writeSensitivityCsv(store, out); });
  // The page embeds its own copy of the document, shaped so that it stays
  // small (page_document.h). It is built in
  // memory first (the page checks it is one JSON value); a stop ends the
  // building too.
  if (outcome.stopped) return outcome;
  const PageForm form = choosePageForm(store);
  TextOutput document(stop);
  writeResultsJson(run, store, document.stream(), &form);
  const std::string json = document.take();
  if (stop.stop_requested()) {
    outcome.stopped = true;
    return outcome;
  }
  outcome.pageWritten = report(kReportPage, [&](std::ostream& out) {
    writeHtmlReport(json, out, stop);
  });
  return outcome;
}

}  // namespace linprob
