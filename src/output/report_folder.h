// The Report/ folder of a run: results.json (results_json.h), bands.csv,
// unknowns.csv and sensitivity.csv (tidy_csv.h), results.nc (results_nc.h),
// and index.html, the page that shows them
// (html_report.h), written at the end of the run in one call. The
// folder is created when missing; each file is written under a temporary
// name in the folder and renamed into place (base/output_file.h), so a
// report file is never seen half-written. A file that cannot be written (or
// whose writer throws: "Report/results.nc: cannot be written: NetCDF: ...")
// does not stop the others; a stop of the run ends the report within a block of
// output (the document rendered in memory, the file being written), and the
// files completed before it stay. results.json holds every band; the page
// embeds a copy whose large tables have their bands merged for drawing
// (pageBandsPerChart, results_json.h); bands.csv holds every band too.
// When the page leaves systems out (page_document.h), each of them gets a
// page of its own in systems/ (system-<index>.html, with report.js and
// report.css, which those pages share), written before index.html.
#ifndef LINPROB_OUTPUT_REPORT_FOLDER_H_
#define LINPROB_OUTPUT_REPORT_FOLDER_H_

#include <map>
#include <ostream>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "output/run_shape.h"
#include "results/result_store.h"
#include "results/run_info.h"

namespace linprob {

inline constexpr const char* kReportFolder = "Report/";

inline constexpr const char* kReportPage = "index.html";

// What writeReport did: one line per failure, naming the file or folder and
// the reason, e.g. "Report/bands.csv: cannot be written: No space left on
// device" or "Report/: cannot be created: Not a directory" (empty on
// success; a file a stop cut short is no failure), how many files are in
// place, whether the page is one of them, and whether a stop ended it.
struct ReportWritten {
  std::vector<std::string> failures;
  int written = 0;
  bool pageWritten = false;
  bool stopped = false;
};

enum class ReportFileNeed { kAlways, kIntervalMatrix, kRandomMatrix };

// How many systems of a run have an interval matrix, and a random one.
struct MatrixSystems {
  int intervalMatrix = 0;
  int randomMatrix = 0;
};

// A file of the folder written from the results alone (the page's form
// depends on them too): its name in the folder, its writer, its bytes for
// a run of a given shape (run_shape.h), which the run's estimate of what it
// writes adds up (run_files.h), and the memory its writer holds while it
// writes (streamedFile: none beyond its stream's block), which the run's
// estimate of its peak memory adds up (cost/run_footprint.h). A new format
// is one writer, its two estimates and one row of this table;
// ReportFolderTest fails for a row without all three functions.
struct ReportFile {
  std::string_view name;
  void (*write)(const RunInfo& run, const ResultStore& store,
                std::ostream& out);
  double (*estimate)(const RunShape& shape);
  double (*memory)(const RunShape& shape);
  // Written for every run, or only for one where some system has an
  // interval matrix, or a random matrix.
  ReportFileNeed need = ReportFileNeed::kAlways;
};
// Whether a run with these systems writes `file`.
inline bool writesReportFile(const ReportFile& file,
                             const MatrixSystems& systems) {
  switch (file.need) {
    case ReportFileNeed::kIntervalMatrix:
      return systems.intervalMatrix > 0;
    case ReportFileNeed::kRandomMatrix:
      return systems.randomMatrix > 0;
    case ReportFileNeed::kAlways:
      break;
  }
  return true;
}
// The memory of a writer that streams its file.
inline double streamedFile(const RunShape&) { return 0.0; }
// In the order they are taken up (the longest to write first), before the
// pages.
std::span<const ReportFile> reportFiles();

// The pages, written after the files above in forms chosen from the
// results: "index.html", and "systems/*", the pages of their own with the
// files they share.
std::span<const EstimatedFile> reportPages();

// `folder` ends with "/".
ReportWritten writeReport(const RunInfo& run, const ResultStore& store,
                          const std::string& folder = kReportFolder,
                          const std::stop_token& stop = {});

// A report kept in memory instead of a folder (a run from Python): each
// file's bytes by its path in the folder, "results.json",
// "systems/system-3.html".
using ReportBytes = std::map<std::string, std::string>;

// The same files as writeReport, into `bytes`; failures are named by those
// paths, and a file a stop or its writer cut short is left out.
ReportWritten writeReportBytes(const RunInfo& run, const ResultStore& store,
                               ReportBytes& bytes,
                               const std::stop_token& stop = {});

}  // namespace linprob

#endif  // LINPROB_OUTPUT_REPORT_FOLDER_H_
