// The start-of-run check of inputs handed over in memory
// (config/given_inputs.h): each system's numbers are checked as the files'
// numbers are (input_check.h), each problem named by the file that would
// have held them, "Matrix1/Matice.txt: holds 3 numbers, not 4" or
// "Matrix0/NormalRHS.txt: number 5 is not finite (nan)" besides the files'
// own messages; then the numerical check (numeric_check.h).
#ifndef LINPROB_CHECK_GIVEN_CHECK_H_
#define LINPROB_CHECK_GIVEN_CHECK_H_

#include <cstdint>
#include <optional>
#include <stop_token>
#include <vector>

#include "check/input_check.h"
#include "config/run_config.h"
#include "results/system_reference.h"

namespace linprob {

// As checkRunInputs, for `given` (config.settings().MaxMatrix of them, which
// the caller makes the count of systems); the numbers are moved into the
// systems returned. A count that is not MaxMatrix is one problem.
RunInputsCheck checkGivenInputs(
    const RunConfig& config, std::vector<SystemNumbers>&& given,
    const std::stop_token& stop = {},
    FirstElimination first = FirstElimination::kKeptWithTheOthers,
    std::optional<std::uint64_t> runSeed = std::nullopt);

}  // namespace linprob

#endif  // LINPROB_CHECK_GIVEN_CHECK_H_
