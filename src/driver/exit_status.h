// The exit statuses of the program, in one place: what the run driver, the
// command line and the help text use.
#ifndef LINPROB_DRIVER_EXIT_STATUS_H_
#define LINPROB_DRIVER_EXIT_STATUS_H_

namespace linprob {

enum class ExitStatus : int {
  kSuccess = 0,
  kInputError = 1,    // settings or input files refused; nothing written
  kComputeError = 2,  // an error while computing
  kExportError = 3,   // an output could not be written: a CSV or report
                      // file, or standard output
  kUsage = 64,        // unknown option, bad value, unusable working folder
};

constexpr int exitCode(ExitStatus status) { return static_cast<int>(status); }

// A run that a signal N stopped ends with 128 + N.
constexpr int stoppedExitCode(int signal) { return 128 + signal; }
constexpr bool isStoppedExitCode(int status) {
  return status > 128 && status < 128 + 65;
}

}  // namespace linprob

#endif  // LINPROB_DRIVER_EXIT_STATUS_H_
