#include "output/report_folder.h"

#include <cstddef>
#include <exception>
#include <ios>
#include <functional>
#include <string>

#include "base/output_buffer.h"
#include "base/output_file.h"
#include "base/status.h"
#include "output/html_report.h"
#include "output/page_document.h"
#include "output/system_list.h"
#include "output/results_json.h"
#include "output/results_nc.h"
#include "output/tidy_csv.h"

namespace linprob {

using WriteFile = std::function<bool(
    const std::string&, const std::function<void(std::ostream&)>&)>;

namespace {

// Measured on the example's 5 systems of 4 unknowns: with 3,000 bands
// (sampling, the truth computed) bands.csv 193 and results.json 149 bytes
// per band; with 10 bands in sampling results.json 4,400 bytes per table
// besides (1,500 in enumeration: no convergence), unknowns.csv 960; the
// shares 16 bytes per table and unknown in each file that holds them.
constexpr ReportFile kReportFiles[] = {
    {"results.json",
     [](const RunInfo& run, const ResultStore& store, std::ostream& out) {
       writeResultsJson(run, store, out);
     },
     149.0, 4400.0, 16.0},
    {"bands.csv",
     [](const RunInfo&, const ResultStore& store, std::ostream& out) {
       writeBandsCsv(store, out);
     },
     193.0, 0.0, 0.0},
    {"unknowns.csv",
     [](const RunInfo&, const ResultStore& store, std::ostream& out) {
       writeUnknownsCsv(store, out);
     },
     0.0, 960.0, 0.0},
    {"sensitivity.csv",
     [](const RunInfo&, const ResultStore& store, std::ostream& out) {
       writeSensitivityCsv(store, out);
     },
     0.0, 0.0, 16.0},
    // Every array in binary: about 8 bytes a number before compression.
    {"results.nc", writeResultsNc, 80.0, 800.0, 8.0},
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
    // A writer that throws (a library's failure) fails its own file alone:
    // the stream is failed, so the temporary is removed, not committed.
    std::string thrown;
    const Status written = writeOutputFile(
        target,
        [&](std::ostream& out) {
          try {
            write(out);
          } catch (const std::exception& error) {
            thrown = error.what();
            out.setstate(std::ios::badbit);
          }
        },
        stop);
    const bool placed = written.ok() && thrown.empty();
    if (placed) ++outcome.written;
    if (stop.stop_requested()) {
      outcome.stopped = true;
    } else if (!thrown.empty()) {
      outcome.failures.push_back(target + ": cannot be written: " + thrown);
    } else if (!written.ok()) {
      outcome.failures.push_back(target + ": " + written.message());
    }
    return placed;
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
