// The start-of-run check: everything the run will read is checked once, on
// the driver's thread, before the result store is created, any output file
// is opened or any thread starts.
//
// checkSettings applies the bounds of kSettings: a value outside them is
// refused, or raised to the least value with one warning where the table
// says so; in enumeration a job count IntegrationPrecision^Dimensions
// beyond 64 bits is refused too. findSystemFolders lists the working folder
// once to find where the run's system folders end. checkRunInputs reads
// every input file of every system and decides, under the four pivoting
// modes, whether each system can be analysed (check/numeric_check.h). All
// of them return messages; only the driver prints them.
#ifndef LINPROB_CHECK_INPUT_CHECK_H_
#define LINPROB_CHECK_INPUT_CHECK_H_

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "config/mode_eliminations.h"
#include "check/check_messages.h"
#include "check/numeric_check.h"
#include "config/run_config.h"
#include "config/settings.h"
#include "results/system_reference.h"

namespace linprob {

// The settings check also gives the settings to run with: those read, with
// the values below their least raised where the table says so.
struct SettingsCheck : InputCheck {
  RunSettings settings;
};

// Messages name the option and its value as the file has it (as a number
// when it did not come from the file):
//   "Settings.txt: MaxMatrix 0: at least one system is needed"
//   "Settings.txt: SolverThreadCount 0 is below 1; using 1"
//   "Settings.txt: IntegrationPrecision 10000 to the power Dimensions 20 is
//    too many jobs to count in 64 bits"
SettingsCheck checkSettings(const RunSettings& settings,
                            const SettingsReadResult& read = {});

// Where the system folders Matrix0/ ... Matrix<maxMatrix-1>/ end: the
// working folder is listed once, and the highest index below maxMatrix of a
// folder named Matrix<k> is found, keeping only the names of that form that
// are taken by something other than a folder.
struct SystemFolders {
  int present = 0;  // systems 0 ... present-1 are checked file by file
  // The systems beyond the last present folder, in order, one line per
  // range of missing folders and per name taken by something else:
  //   "Matrix5/ ... Matrix2147483646/ are missing", "Matrix4/ is missing",
  //   "Matrix1 is not a folder"
  // Empty when every system's folder is present.
  std::vector<std::string> missingTail;
};
SystemFolders findSystemFolders(int maxMatrix);

// Checks the files of systems 0 ... systemCount-1. Errors begin with the
// file's path relative to the working directory, e.g. "Matrix1/Matice.txt:
// only 3 of the 4 numbers needed"; a system whose name is taken by
// something other than a folder is one line, "Matrix1 is not a folder", and
// so is each run of missing folders ("Matrix1/ is missing", "Matrix1/ ...
// Matrix3/ are missing"), in the place of their systems.
// `stop` is looked at while files are read and throughout the numerical
// check: once it is requested the check returns early, and what it returns
// is incomplete.
//
// Each file is read once: the numbers checked are the numbers the run uses.
// `systems` holds the inputs of every system whose five files were read and
// found sound, in order (all of them, systems[i] of Matrix<i>/, when there
// are no errors); their cells are not made yet. `eliminated[i]` holds
// what the check kept of systems[i]'s eliminations: every mode when all
// systems' fit keptEliminationBytes, else none, but with
// FirstElimination::kAlwaysKept the first system's first mode all the same
// (what --check's calibration times its phases on). `figures[i]` holds
// what the check measured of systems[i] (numeric_check.h). `runSeed`: a
// sampling run's seed (the check of the bands draws the phases' samples).
enum class FirstElimination { kKeptWithTheOthers, kAlwaysKept };
struct RunInputsCheck : InputCheck {
  std::vector<SystemInputs> systems;
  std::vector<ModeEliminations> eliminated;
  std::vector<NumericFigures> figures;
};
RunInputsCheck checkRunInputs(
    const RunConfig& config, int systemCount,
    const std::stop_token& stop = {},
    FirstElimination first = FirstElimination::kKeptWithTheOthers,
    std::optional<std::uint64_t> runSeed = std::nullopt);

}  // namespace linprob

#endif  // LINPROB_CHECK_INPUT_CHECK_H_
