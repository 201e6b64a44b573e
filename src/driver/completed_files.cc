#include "driver/completed_files.h"

#include <string>

#include "base/console.h"
#include "base/stop_signals.h"
#include "driver/exit_status.h"

namespace linprob {
namespace {

std::string counted(int count, const std::string& what) {
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

}  // namespace

int reportInterrupted(int signal, const CompletedFiles& completed) {
  if (!completed.inFolder) {
    printError("Interrupted by " + StopSignals::name(signal) +
               ": nothing was kept");
    return stoppedExitCode(signal);
  }
  std::string line = "Interrupted by " + StopSignals::name(signal) +
                     ": kept " +
                     counted(completed.summaries, "completed summary file");
  if (completed.report) {
    line += ", " + counted(completed.csv, "CSV file") + " and " +
            counted(*completed.report, "report file");
  } else {
    line += " and " + counted(completed.csv, "CSV file");
  }
  printError(line + "; nothing unfinished was left");
  return stoppedExitCode(signal);
}

}  // namespace linprob
