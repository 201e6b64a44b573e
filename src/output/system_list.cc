#include "output/system_list.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <nlohmann/json.hpp>

#include "linear/pivot_mode.h"
#include "output/json_text.h"

namespace linprob {
namespace {

using namespace json_parts;

void keepLarger(std::optional<double>& worst, const std::optional<double>& x) {
  if (x && std::isfinite(*x) && (!worst || *x > *worst)) worst = *x;
}

std::optional<double> variationOf(const std::optional<ApproximationCheck>& check) {
  if (!check || !check->discrepancy) return std::nullopt;
  return check->discrepancy->totalVariation;
}

bool fails(const std::optional<ApproximationCheck>& check) {
  return check && check->validation && check->validation->validated &&
         !*check->validation->validated;
}

Json rounded(const std::optional<double>& x) {
  return x ? Json(upToThreeDigits(*x)) : Json(nullptr);
}

}  // namespace

double upToThreeDigits(double x) {
  if (!(x > 0.0) || !std::isfinite(x)) return x;
  char text[32];
  std::snprintf(text, sizeof text, "%.2e", x);
  const double nearest = std::strtod(text, nullptr);
  if (nearest >= x) return nearest;
  // "d.dde±X" rounded down: the next number of 3 digits up is above x.
  int mantissa = (text[0] - '0') * 100 + (text[2] - '0') * 10 + (text[3] - '0') + 1;
  int exponent = std::atoi(text + 5) - 2;
  if (mantissa == 1000) {
    mantissa = 100;
    ++exponent;
  }
  std::snprintf(text, sizeof text, "%de%d", mantissa, exponent);
  return std::strtod(text, nullptr);
}

SystemSummary summarizeSystem(const ResultStore& store, int system) {
  SystemSummary summary;
  const SystemReference* reference = store.reference(system);
  const bool exact = reference != nullptr && reference->exact.has_value();
  if (exact) {
    summary.conditionNumber = reference->exact->conditionNumber;
    // A missing forward error is 0 ulps where the true solution exists.
    summary.worstForwardErrorUlps = 0.0;
  }
  for (int u = 0; u < store.unknownCount(); ++u) {
    bool invalidFails = false;
    bool exactLinearFails = false;
    for (const PivotMode& mode : kPivotModes) {
      if (!store.elimination(system, mode.index).stored) continue;
      const SolutionMeasures solution = store.measures(u, system, mode.index);
      if (exact) keepLarger(summary.worstForwardErrorUlps, solution.forwardErrorUlps);
      keepLarger(summary.worstOverestimation, solution.intervalOverestimation);
      for (const FamilyInfo& family : kFamilies) {
        const PositionResult* position =
            store.phase(u, system, mode.index, family.family);
        if (position == nullptr || !position->solved()) continue;
        const PositionMeasures& measures = position->measures;
        keepLarger(summary.worstInvalid, variationOf(measures.invalid));
        keepLarger(summary.worstExactLinear, variationOf(measures.exactLinear));
        invalidFails = invalidFails || fails(measures.invalid);
        exactLinearFails = exactLinearFails || fails(measures.exactLinear);
      }
    }
    summary.invalidFailures += invalidFails;
    summary.exactLinearFailures += exactLinearFails;
  }
  return summary;
}

void writeSystemList(const ResultStore& store, std::ostream& out) {
  out << "{\"pages\":";
  writeString(kSystemPagesFolder, out);
  out << ",\"columns\":";
  writeJson(Json::array({"system", "condition_number", "worst_tv_invalid",
                         "worst_tv_exact_linear", "gum_failures_invalid",
                         "gum_failures_exact_linear", "worst_forward_error_ulps",
                         "worst_interval_overestimation"}),
            out);
  out << ",\"rows\":[";
  for (int s = 0; s < store.systemCount() && out; ++s) {
    const SystemSummary summary = summarizeSystem(store, s);
    if (s > 0) out << ',';
    writeJson(Json::array({s, rounded(summary.conditionNumber),
                           rounded(summary.worstInvalid),
                           rounded(summary.worstExactLinear),
                           summary.invalidFailures, summary.exactLinearFailures,
                           rounded(summary.worstForwardErrorUlps),
                           rounded(summary.worstOverestimation)}),
              out);
  }
  out << "]}";
}

}  // namespace linprob
