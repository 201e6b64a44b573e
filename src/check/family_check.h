// The numerical checks of one family's parameters for the start-of-run
// check (check/numeric_check.h): its box and moments, prepared once, then
// replayed under each eliminated pivoting mode. Their messages are listed
// there.
#ifndef LINPROB_CHECK_FAMILY_CHECK_H_
#define LINPROB_CHECK_FAMILY_CHECK_H_

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "check/family_inputs.h"
#include "distributions/family.h"
#include "config/run_config.h"
#include "linear/interval.h"
#include "linear/linear_system.h"
#include "linear/normal_parameters.h"
#include "linear/pivot_mode.h"

namespace linprob {

// The family's box and moments from the numbers of its parameter file
// (`numbers`, as read) and the entries' correlation (none when they are
// independent) in `folder`, system `system`; a problem
// that makes either unusable goes to `problems`, and the family is then
// `reported`. `config` must outlive the result.
FamilyInputs prepareFamily(const FamilyInfo& family,
                           const std::vector<double>& numbers,
                           std::shared_ptr<const CorrelationFactor> correlation,
                           const std::string& folder, int system,
                           const RunConfig& config,
                           std::optional<std::uint64_t> runSeed,
                           std::vector<std::string>& problems);

// The overflow and underflow checks of a prepared family under one
// eliminated mode, and whether its bands would collapse (band_check.h): its
// problem, if any; nothing once `stop` is requested. A range of solutions
// whose square overflows is refused too: the moments of the solved values
// about a reference among them would then not be finite.
std::optional<std::string> checkFamily(const FamilyInputs& family,
                                       const LinearSystem& system,
                                       const PivotMode& mode,
                                       const std::stop_token& stop);

}  // namespace linprob

#endif  // LINPROB_CHECK_FAMILY_CHECK_H_
