// CompletedFiles: the files a run has completed, and the one line that says
// what an interrupted run kept ("Interrupted by SIGTERM: kept 20 completed
// summary files, 4 CSV files and 2 report files; nothing unfinished was
// left"; report files are counted once the run has begun Report/). A run
// that writes into no folder (its report kept in memory) kept nothing:
// "Interrupted by SIGINT: nothing was kept".
#ifndef LINPROB_DRIVER_COMPLETED_FILES_H_
#define LINPROB_DRIVER_COMPLETED_FILES_H_

#include <optional>

namespace linprob {

struct CompletedFiles {
  int summaries = 0;
  int csv = 0;
  std::optional<int> report;  // set once the run began its Report/ folder
  // Whether the run writes into its working folder (RunOptions).
  bool inFolder = true;
};

// Prints the line of a run that `signal` stopped; returns its exit status,
// 128 + signal.
int reportInterrupted(int signal, const CompletedFiles& completed);

}  // namespace linprob

#endif  // LINPROB_DRIVER_COMPLETED_FILES_H_
