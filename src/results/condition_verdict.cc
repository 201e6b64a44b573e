#include "results/condition_verdict.h"

#include <algorithm>
#include <cmath>

namespace linprob {
namespace {

bool usable(const std::optional<double>& kappa) {
  return kappa && std::isfinite(*kappa) && *kappa > 0.0;
}

std::string wordsFor(ConditionLevel level, int digits) {
  if (level == ConditionLevel::kWell) return "well conditioned";
  if (digits <= 0) return "results may have no correct significant digits";
  return "results may have fewer than " + std::to_string(digits) +
         " correct significant digits";
}

}  // namespace

std::optional<ConditionVerdict> conditionVerdict(
    const std::optional<double>& certified,
    const std::optional<double>& estimate) {
  ConditionVerdict verdict;
  if (usable(certified)) {
    verdict.conditionNumber = *certified;
    verdict.source = ConditionSource::kCertified;
  } else if (usable(estimate)) {
    verdict.conditionNumber = *estimate;
    verdict.source = ConditionSource::kEstimate;
  } else {
    return std::nullopt;
  }
  const double kappa = verdict.conditionNumber;
  verdict.level = kappa <= kWellConditioned ? ConditionLevel::kWell
                  : kappa <= kIllConditioned ? ConditionLevel::kModerate
                                             : ConditionLevel::kIll;
  const double digits = std::floor(53.0 * std::log10(2.0) - std::log10(kappa));
  verdict.correctDigits = static_cast<int>(std::max(digits, 0.0));
  verdict.text = wordsFor(verdict.level, verdict.correctDigits);
  return verdict;
}

const char* conditionLevelName(ConditionLevel level) {
  switch (level) {
    case ConditionLevel::kWell:
      return "well conditioned";
    case ConditionLevel::kModerate:
      return "moderately conditioned";
    case ConditionLevel::kIll:
      return "ill conditioned";
  }
  return "";
}

const char* conditionSourceName(ConditionSource source) {
  return source == ConditionSource::kCertified ? "certified" : "estimate";
}

}  // namespace linprob
