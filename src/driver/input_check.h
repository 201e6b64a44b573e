// The start-of-run check: everything the run will read is checked once, on
// the driver's thread, before any output file is opened or any thread starts.
//
// checkSettings refuses settings no run can use and raises counts that would
// stall or empty a phase (with one warning each). checkRunInputs reads every
// input file of every system and eliminates each matrix under the four
// pivoting modes, so that a system that cannot be analysed is refused before
// anything is computed. Both return messages; only the driver prints them.
#ifndef LINPROB_DRIVER_INPUT_CHECK_H_
#define LINPROB_DRIVER_INPUT_CHECK_H_

#include <string>
#include <vector>

#include "driver/settings.h"

namespace linprob {

// The largest number of unknowns a run accepts.
inline constexpr unsigned kMaxDimensions = 100000;

struct SettingsCheck {
  std::vector<std::string> errors;    // the run cannot start
  std::vector<std::string> warnings;  // a count was raised to 1
};

// Refuses Dimensions 0 or above kMaxDimensions and, in enumeration, a job
// count IntegrationPrecision^Dimensions beyond 64 bits. Raises
// SolverThreadCount, HistogramPrecision and (in enumeration)
// GeneratorThreadCount below 1 to 1.
SettingsCheck checkSettings(RunSettings& settings);

// One line per problem, each beginning with the file's path relative to the
// working directory, e.g. "Matrix1/Matice.txt: only 3 of the 4 numbers
// needed". Empty when every system can be analysed.
std::vector<std::string> checkRunInputs(const RunSettings& settings);

}  // namespace linprob

#endif  // LINPROB_DRIVER_INPUT_CHECK_H_
