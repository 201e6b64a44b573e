// The command line: linprob [OPTIONS] [WORKDIR].
//
// Parsing yields either the options of a run or an exit: --help and --version
// exit with status 0 and their text for standard output; an unknown option,
// a second WORKDIR, an empty WORKDIR, a missing or bad value exit with
// status 64 (usage) and one line for standard error that names the option.
// An argument a line repeats is quoted with every byte outside printable
// ASCII as \xNN (base/input_file.h, quotedToken). "--" ends the options.
// Parsing prints nothing, reads no file and changes nothing; the working
// folder is only entered by the run.
//
//   WORKDIR           the working folder (not empty)
//   -j, --threads N   solver threads, 0 ... 1024 (0: one per hardware thread)
//   --seed N          0 ... 2^64 - 1, decimal
//   -q, --quiet       hide the per-job lines
//   --progress, --no-progress   the progress line; the last one given wins,
//                     default: on when standard error is a terminal
//   --check           check and plan only
//   --memory-budget MIB   0 ... kMostMemoryBudgetMiB, whole MiB
//   --counting METHOD     auto, replay or halves
//   --halves-memory MIB   0 ... kMostMemoryBudgetMiB, whole MiB
//   --no-report       no Report/ folder
#ifndef LINPROB_DRIVER_COMMAND_LINE_H_
#define LINPROB_DRIVER_COMMAND_LINE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/run_options.h"

namespace linprob {

// The largest --memory-budget and --halves-memory, in MiB (1 TiB).
inline constexpr std::uint64_t kMostMemoryBudgetMiB = std::uint64_t{1} << 20;

struct CommandLine {
  std::optional<RunOptions> run;  // set: run with these options
  int exitStatus = 0;             // otherwise: exit with this status
  // Otherwise: printed before exiting, to standard output when exitStatus is
  // 0, else to standard error. Ends with a line end.
  std::string text;
};

// `arguments` without the program's name. `progressByDefault`: whether the
// progress line is shown when neither --progress nor --no-progress is given.
CommandLine parseArguments(const std::vector<std::string>& arguments,
                           bool progressByDefault);

// parseArguments of argv[1 ...], the progress line shown by default when
// standard error is a terminal.
CommandLine parseCommandLine(int argc, const char* const argv[]);

// Prints the text of a command line that asks for no run; returns its exit
// status, or 3 (with one line on standard error) when standard output could
// not be written.
int exitWithoutRun(const CommandLine& line);

// "linprob <version>", and " (git <commit>)" when built from a git checkout.
std::string versionText();

// The --help text.
std::string helpText();

}  // namespace linprob

#endif  // LINPROB_DRIVER_COMMAND_LINE_H_
