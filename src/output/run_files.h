// Every kind of file a run writes, each with the bytes its writer
// estimates for the run's shape (run_shape.h): the summaries, the CSV
// export and, unless the report is skipped, each file of Report/ and its
// pages (report_folder.h), in the order the run writes them. A kind's name
// is the pattern of its paths in the working directory, "*" for any
// characters: "Matrix*/RESULTS_*.txt", "Export/Results_X*.csv",
// "Report/results.json", "Report/systems/*".
#ifndef LINPROB_OUTPUT_RUN_FILES_H_
#define LINPROB_OUTPUT_RUN_FILES_H_

#include <string>
#include <vector>

#include "output/run_shape.h"

namespace linprob {

struct FileEstimate {
  std::string name;
  double bytes = 0.0;
};

std::vector<FileEstimate> estimateRunFiles(const RunShape& shape);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_RUN_FILES_H_
