// The inputs of a system's references (results/system_reference.h), read
// from its folder "Matrix<i>/": the matrix, the plain and the interval
// right-hand side and, for a system small enough for the certified
// computation (kMaxCertifiedSize), both parameter files and, in
// enumeration, each family's cells as its phase builds them. Files that cannot be read throw
// std::runtime_error "<path>: <problem>" (the start-of-run check has read
// them all before, so this means a file changed while the program ran, or
// that `stop` was requested: "reading stopped").
#ifndef LINPROB_DRIVER_SYSTEM_INPUTS_H_
#define LINPROB_DRIVER_SYSTEM_INPUTS_H_

#include <stop_token>

#include "driver/settings.h"
#include "results/system_reference.h"

namespace linprob {

SystemInputs readSystemInputs(const RunSettings& settings, int system,
                              const std::stop_token& stop = {});

}  // namespace linprob

#endif  // LINPROB_DRIVER_SYSTEM_INPUTS_H_
