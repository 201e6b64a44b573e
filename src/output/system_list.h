// The report page's list of every system: one short row per system with
// its worst measures, for a run whose page draws only some of its systems
// (page_document.h) and shows the others as rows that link to their own
// pages. Written as the page copy's "system_list":
//
//   {"pages": "systems/",
//    "columns": ["system", "condition_number", "worst_tv_invalid",
//                "worst_tv_exact_linear", "gum_failures_invalid",
//                "gum_failures_exact_linear", "worst_forward_error_ulps",
//                "worst_interval_overestimation"],
//    "rows": [[0, 12.3, 0.0123, 0.0456, 0, 1, 3, 1.02], ...]}
//
// one row per system in index order. A worst value is the largest over the
// system's modes, families and unknowns (total variations against VALID,
// forward errors, interval overestimations); a failure count is the number
// of unknowns whose 95 % interval fails the validation in some mode and
// family. Measures are rounded up to 3 significant digits, so that a row
// stays short and a value above a limit stays above it; a missing one is
// null. A system's own page is "<pages>system-<index>.html".
#ifndef LINPROB_OUTPUT_SYSTEM_LIST_H_
#define LINPROB_OUTPUT_SYSTEM_LIST_H_

#include <optional>
#include <ostream>

#include "results/result_store.h"

namespace linprob {

inline constexpr const char* kSystemPagesFolder = "systems/";

struct SystemSummary {
  std::optional<double> conditionNumber;
  std::optional<double> worstInvalid;      // total variation against VALID
  std::optional<double> worstExactLinear;  // the same of the exact linear normal
  int invalidFailures = 0;
  int exactLinearFailures = 0;
  std::optional<double> worstForwardErrorUlps;
  std::optional<double> worstOverestimation;
};

SystemSummary summarizeSystem(const ResultStore& store, int system);

// The smallest number of 3 significant digits that is at least x (x > 0
// and finite; else x).
double upToThreeDigits(double x);

// The "system_list" value above.
void writeSystemList(const ResultStore& store, std::ostream& out);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_SYSTEM_LIST_H_
