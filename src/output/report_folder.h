// The Report/ folder of a run: results.json (results_json.h), bands.csv,
// unknowns.csv and sensitivity.csv (tidy_csv.h), and index.html, the page that shows them
// (html_report.h), written at the end of the run in one call. The
// folder is created when missing; each file is written under a temporary
// name in the folder ("results.json.tmp") and renamed into place, so a
// report file is never seen half-written. A file that cannot be written does
// not stop the others.
#ifndef LINPROB_OUTPUT_REPORT_FOLDER_H_
#define LINPROB_OUTPUT_REPORT_FOLDER_H_

#include <string>
#include <vector>

#include "results/result_store.h"
#include "results/run_info.h"

namespace linprob {

inline constexpr const char* kReportFolder = "Report/";

inline constexpr const char* kReportPage = "index.html";

// What writeReport did: one line per failure, naming the file or folder and
// the reason, e.g. "Report/bands.csv: cannot be written: No space left on
// device" or "Report/: cannot be created" (empty on success), and whether
// the page is in place.
struct ReportWritten {
  std::vector<std::string> failures;
  bool pageWritten = false;
};

// `folder` ends with "/".
ReportWritten writeReport(const RunInfo& run, const ResultStore& store,
                          const std::string& folder = kReportFolder);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_REPORT_FOLDER_H_
