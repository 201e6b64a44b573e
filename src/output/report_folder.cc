#include "output/report_folder.h"

#include <cstddef>
#include <functional>
#include <string>

#include "base/output_buffer.h"
#include "base/output_file.h"
#include "base/status.h"
#include "output/document_sizes.h"
#include "output/html_report.h"
#include "output/page_document.h"
#include "output/system_list.h"
#include "output/results_json.h"
#include "output/tidy_csv.h"

namespace linprob {

using WriteFile = std::function<bool(
    const std::string&, const std::function<void(std::ostream&)>&)>;

namespace {

constexpr ReportFile kReportFiles[] = {
    {"results.json",
     [](const RunInfo& run, const ResultStore& store, std::ostream& out) {
       writeResultsJson(run, store, out);
     },
     resultsJsonBytes},
    {"bands.csv",
     [](const RunInfo&, const ResultStore& store, std::ostream& out) {
       writeBandsCsv(store, out);
     },
     bandsCsvBytes},
    {"unknowns.csv",
     [](const RunInfo&, const ResultStore& store, std::ostream& out) {
       writeUnknownsCsv(store, out);
     },
     unknownsCsvBytes},
    {"sensitivity.csv",
     [](const RunInfo&, const ResultStore& store, std::ostream& out) {
       writeSensitivityCsv(store, out);
     },
     sensitivityCsvBytes},
    // results.nc goes here: its writer and its estimate from the shape,
    // as every file of the folder has.
};

constexpr EstimatedFile kReportPages[] = {
    {kReportPage, indexPageBytes},
    {"systems/*", ownPagesBytes},
};

// The pages of the systems that the index page leaves out, and the files
// they share, in `folder` + kSystemPagesFolder; `report` writes a file as
// writeReport does. A page that cannot be written does not stop the
// others, but only the first such failure is named, then how many more
// pages failed.
void writeOwnPages(const RunInfo& run, const ResultStore& store,
                   const PageForm& index, const std::string& folder,
                   const std::stop_token& stop, ReportWritten& outcome,
                   const WriteFile& report) {
  const std::string pages = folder + kSystemPagesFolder;
  if (const Status made = makeOutputFolder(pages); !made.ok()) {
    outcome.failures.push_back(pages + ": " + made.message());
    return;
  }
  report(pages + kSharedScript, writeSharedScript);
  report(pages + kSharedStyleSheet, writeSharedStyleSheet);
  int failed = 0;
  std::size_t drawn = 0;
  for (int s = 0; s < store.systemCount(); ++s) {
    if (drawn < index.systems.size() && index.systems[drawn] == s) {
      ++drawn;
      continue;
    }
    const PageForm form = chooseOwnPageForm(store, s);
    TextOutput document(stop);
    writeResultsJson(run, store, document.stream(), &form);
    const std::string json = document.take();
    const std::string name = pages + "system-" + std::to_string(s) + ".html";
    const Status written =
        stop.stop_requested()
            ? Status()
            : writeOutputFile(
                  name, [&](std::ostream& out) { writeOwnPage(json, out, stop); },
                  stop);
    if (stop.stop_requested()) {
      outcome.stopped = true;
      return;
    }
    if (written.ok()) {
      ++outcome.written;
    } else if (failed++ == 0) {
      outcome.failures.push_back(name + ": " + written.message());
    }
  }
  if (failed > 1) {
    outcome.failures.push_back(
        pages + ": " + std::to_string(failed - 1) +
        (failed == 2 ? " more page" : " more pages") + " could not be written");
  }
}

}  // namespace

std::span<const ReportFile> reportFiles() { return kReportFiles; }

std::span<const EstimatedFile> reportPages() { return kReportPages; }

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
  const WriteFile report = [&](const std::string& target,
                               const std::function<void(std::ostream&)>& write) {
    if (outcome.stopped) return false;
    const Status written = writeOutputFile(target, write, stop);
    if (written.ok()) ++outcome.written;
    if (stop.stop_requested()) {
      outcome.stopped = true;
    } else if (!written.ok()) {
      outcome.failures.push_back(target + ": " + written.message());
    }
    return written.ok();
  };
  for (const ReportFile& file : reportFiles()) {
    report(folder + std::string(file.name),
           [&](std::ostream& out) { file.write(run, store, out); });
  }
  // The page embeds its own copy of the document, shaped so that it stays
  // small (page_document.h). It is built in
  // memory first (the page checks it is one JSON value); a stop ends the
  // building too. The systems it leaves out get pages of their own first,
  // so that its links lead to pages in place.
  if (outcome.stopped) return outcome;
  const PageForm form = choosePageForm(store);
  if (form.listsSystems()) {
    writeOwnPages(run, store, form, folder, stop, outcome, report);
    if (outcome.stopped) return outcome;
  }
  TextOutput document(stop);
  writeResultsJson(run, store, document.stream(), &form);
  const std::string json = document.take();
  if (stop.stop_requested()) {
    outcome.stopped = true;
    return outcome;
  }
  outcome.pageWritten = report(folder + kReportPage, [&](std::ostream& out) {
    writeHtmlReport(json, out, stop);
  });
  return outcome;
}

}  // namespace linprob
