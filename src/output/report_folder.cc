#include "output/report_folder.h"

#include <atomic>
#include <cstddef>
#include <exception>
#include <ios>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/output_buffer.h"
#include "base/output_file.h"
#include "base/status.h"
#include "linear/ball.h"
#include "output/document_sizes.h"
#include "output/html_report.h"
#include "output/interval_matrix_report.h"
#include "output/random_matrix_report.h"
#include "output/page_document.h"
#include "output/page_form.h"
#include "output/system_list.h"
#include "output/results_json.h"
#include "output/results_nc.h"
#include "output/tidy_csv.h"

namespace linprob {

using WriteFile = std::function<bool(
    const std::string&, const std::function<void(std::ostream&)>&)>;

namespace {

// How the writing of one file ended: not tried (a stop came first), or the
// file's status and what its writer threw, if anything.
struct FileEnd {
  bool tried = false;
  Status written;
  std::string thrown;
};

// Where the report goes: files in a folder, each written under a temporary
// name and renamed into place, or bytes in memory. Both threads of the
// report write through one target.
class ReportTarget {
 public:
  explicit ReportTarget(ReportBytes* memory = nullptr) : memory_(memory) {}

  Status makeFolder(const std::string& folder) const {
    return memory_ == nullptr ? makeOutputFolder(folder) : Status();
  }
  // A file kept in memory is kept whole or not at all.
  Status write(const std::string& target,
               const std::function<void(std::ostream&)>& write,
               const std::stop_token& stop) const {
    if (memory_ == nullptr) return writeOutputFile(target, write, stop);
    TextOutput text(stop);
    write(text.stream());
    if (!text.stream()) return Status::error("cannot be written");
    std::string bytes = text.take();
    const std::lock_guard<std::mutex> lock(mutex_);
    (*memory_)[target] = std::move(bytes);
    return Status();
  }

 private:
  ReportBytes* memory_;
  mutable std::mutex mutex_;
};

// A writer that throws (a library's failure) fails its own file alone: the
// stream is failed, so the temporary is removed, not committed.
FileEnd writeOneFile(const ReportTarget& into, const std::string& target,
                     const std::function<void(std::ostream&)>& write,
                     const std::stop_token& stop) {
  FileEnd end;
  if (stop.stop_requested()) return end;
  end.tried = true;
  end.written = into.write(
      target,
      [&](std::ostream& out) {
        try {
          write(out);
        } catch (const std::exception& error) {
          end.thrown = error.what();
          out.setstate(std::ios::badbit);
        }
      },
      stop);
  return end;
}

constexpr ReportFile kReportFiles[] = {
    // Built in memory whole, then written.
    {"results.nc", writeResultsNc, resultsNcBytes, resultsNcBytes},
    {"results.json",
     [](const RunInfo& run, const ResultStore& store, std::ostream& out) {
       writeResultsJson(run, store, out);
     },
     resultsJsonBytes, streamedFile},
    {"bands.csv",
     [](const RunInfo&, const ResultStore& store, std::ostream& out) {
       writeBandsCsv(store, out);
     },
     bandsCsvBytes, streamedFile},
    {"unknowns.csv",
     [](const RunInfo&, const ResultStore& store, std::ostream& out) {
       writeUnknownsCsv(store, out);
     },
     unknownsCsvBytes, streamedFile},
    {"sensitivity.csv",
     [](const RunInfo&, const ResultStore& store, std::ostream& out) {
       writeSensitivityCsv(store, out);
     },
     sensitivityCsvBytes, streamedFile},
    {"interval_matrix.csv",
     [](const RunInfo&, const ResultStore& store, std::ostream& out) {
       writeIntervalMatrixCsv(store, out);
     },
     intervalMatrixCsvBytes, streamedFile, ReportFileNeed::kIntervalMatrix},
    {"random_matrix.csv",
     [](const RunInfo&, const ResultStore& store, std::ostream& out) {
       writeRandomMatrixCsv(store, out);
     },
     randomMatrixCsvBytes, streamedFile, ReportFileNeed::kRandomMatrix},
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
                   const WriteFile& report, const ReportTarget& into) {
  const std::string pages = folder + kSystemPagesFolder;
  if (const Status made = into.makeFolder(pages); !made.ok()) {
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
            : into.write(
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

namespace {

ReportWritten writeReportTo(const RunInfo& run, const ResultStore& store,
                            const std::string& folder,
                            const std::stop_token& stop,
                            const ReportTarget& into) {
  ReportWritten outcome;
  if (const Status made = into.makeFolder(folder); !made.ok()) {
    outcome.failures.push_back(folder + ": " + made.message());
    return outcome;
  }
  // True when the file is in place; a failure is added to `failures`, and a
  // stop ends the report (the files completed before it stay).
  const auto record = [&](const std::string& target, const FileEnd& end) {
    const bool placed = end.tried && end.written.ok() && end.thrown.empty();
    if (placed) ++outcome.written;
    if (stop.stop_requested()) {
      outcome.stopped = true;
    } else if (!end.thrown.empty()) {
      outcome.failures.push_back(target + ": cannot be written: " + end.thrown);
    } else if (end.tried && !end.written.ok()) {
      outcome.failures.push_back(target + ": " + end.written.message());
    }
    return placed;
  };
  const WriteFile report = [&](const std::string& target,
                               const std::function<void(std::ostream&)>& write) {
    if (outcome.stopped) return false;
    return record(target, writeOneFile(into, target, write, stop));
  };
  // The files are independent: this thread and, on a machine of more than
  // one core, one more take them up in the table's order, each the next
  // one left; their ends are recorded in that order, as if written one
  // after the other. Neither thread outlives this block.
  const std::span<const ReportFile> files = reportFiles();
  // The systems with an interval matrix or a random one, as makeRunInfo
  // counted them for the list of files.
  MatrixSystems matrices;
  for (int s = 0; s < store.systemCount(); ++s) {
    const SystemReference* reference = store.reference(s);
    if (reference == nullptr) continue;
    matrices.intervalMatrix += reference->intervalMatrix.empty() ? 0 : 1;
    matrices.randomMatrix += reference->hasRandomMatrix() ? 1 : 0;
  }
  std::vector<FileEnd> ends(files.size());
  std::atomic<std::size_t> next{0};
  const auto writeFiles = [&] {
    for (std::size_t k = next++; k < files.size(); k = next++) {
      if (!writesReportFile(files[k], matrices)) continue;
      ends[k] = writeOneFile(
          into, folder + std::string(files[k].name),
          [&](std::ostream& out) { files[k].write(run, store, out); }, stop);
    }
  };
  {
    std::jthread second;
    if (std::thread::hardware_concurrency() > 1) {
      second = std::jthread([&] {
        writeFiles();
        releaseArbCaches();
      });
    }
    writeFiles();
  }
  for (std::size_t k = 0; k < files.size(); ++k) {
    record(folder + std::string(files[k].name), ends[k]);
  }
  // The page embeds its own copy of the document, shaped so that it stays
  // small (page_document.h). It is built in
  // memory first (the page checks it is one JSON value); a stop ends the
  // building too. The systems it leaves out get pages of their own first,
  // so that its links lead to pages in place.
  if (outcome.stopped) return outcome;
  const PageForm form = choosePageForm(store);
  if (form.listsSystems()) {
    writeOwnPages(run, store, form, folder, stop, outcome, report, into);
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

}  // namespace

ReportWritten writeReport(const RunInfo& run, const ResultStore& store,
                          const std::string& folder,
                          const std::stop_token& stop) {
  return writeReportTo(run, store, folder, stop, ReportTarget());
}

ReportWritten writeReportBytes(const RunInfo& run, const ResultStore& store,
                               ReportBytes& bytes,
                               const std::stop_token& stop) {
  return writeReportTo(run, store, "", stop, ReportTarget(&bytes));
}

}  // namespace linprob
