#include "output/measure_json.h"

#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace linprob::json_parts {

Json orNull(const std::optional<double>& x) {
  return x ? Json(*x) : Json(nullptr);
}

Json numbers(const std::vector<double>& values) {
  Json array = Json::array();
  for (double v : values) array.push_back(v);
  return array;
}

Json pairOf(double lower, double upper) { return Json::array({lower, upper}); }

Json meanSdJson(const std::optional<MeanSd>& value) {
  if (!value) return nullptr;
  return Json{{"mean", value->mean}, {"sd", value->sd}};
}

Json tableJson(const MeanSd& normal, const NormalTable& table) {
  return Json{{"mean", normal.mean},
              {"sd", normal.sd},
              {"lower_tail", table.lowerTail},
              {"bands", numbers(table.masses)},
              {"upper_tail", table.upperTail}};
}

Json discrepancyJson(const std::optional<ApproximationCheck>& check) {
  return discrepancyJson(check ? check->discrepancy : std::nullopt);
}

Json validationJson(const std::optional<ApproximationCheck>& check) {
  if (!check || !check->validation) return nullptr;
  const GumValidation& v = *check->validation;
  return Json{{"delta", v.delta},
              {"d_low", v.dLow},
              {"d_high", v.dHigh},
              {"validated", v.validated ? Json(*v.validated) : Json(nullptr)}};
}

Json coverageJson(const std::optional<CoverageInterval>& coverage) {
  if (!coverage) return nullptr;
  return Json{
      {"symmetric", pairOf(coverage->symmetricLower, coverage->symmetricUpper)},
      {"shortest", pairOf(coverage->shortestLower, coverage->shortestUpper)},
      {"resolution", coverage->resolution}};
}

// ---- the continuous truth and the variance shares -------------------------

Json discrepancyJson(const std::optional<Discrepancy>& discrepancy) {
  if (!discrepancy) return nullptr;
  return Json{{"total_variation", discrepancy->totalVariation},
              {"max_cdf", discrepancy->maxCdf}};
}

Json tailedJson(const NormalTable& table) {
  return Json{{"lower_tail", table.lowerTail},
              {"bands", numbers(table.masses)},
              {"upper_tail", table.upperTail}};
}

// The table's bands merged, when it walked the histogram's bands.
void mergeTable(Json& member, bool available, const NormalTable& table,
                const PositionResult& p, std::size_t group) {
  if (available && table.masses.size() == p.valid.masses.size()) {
    member["bands"] = mergedNumbers(table.masses, group);
  }
}

Json approximationJson(const std::optional<ApproximationCheck>& check,
                       const NormalTable& table) {
  return check ? tableJson(check->normal, table) : Json(nullptr);
}

Json truthJson(const TruthCheck& check) {
  if (!check.truth) return nullptr;
  const TruthTable& table = *check.truth;
  Json truth{{"method", truthMethodName(table.method)}};
  truth.update(tailedJson(table.values));
  truth["error_bounds"] = tailedJson(table.errors);
  truth["max_error"] = table.maxError;
  return truth;
}

Json sharesJson(const UnknownShares& shares) {
  return shares.state == ShareState::kCertified ? numbers(shares.shares)
                                                : Json(nullptr);
}

namespace {

const char* shareReason(ShareState state) {
  switch (state) {
    case ShareState::kCertified:
      return nullptr;
    case ShareState::kNoSpread:
      return "the unknown has no spread";
    case ShareState::kUncertain:
      break;
  }
  return "not certified to 1e-12";
}

}  // namespace

namespace {

// One unknown's entry of the shares; of correlated entries also the
// independent indices (results/correlated_shares.h).
Json unknownSharesJson(const FamilyReference& family, std::size_t i,
                       bool correlated) {
  const UnknownShares& shares = family.shares[i];
  const char* reason = shareReason(shares.state);
  Json entry{{"unknown", i},
             {"shares", sharesJson(shares)},
             {"contribution_sd", numbers(shares.contributionSd)},
             {"cells_shares", family.cellShares
                                  ? sharesJson((*family.cellShares)[i])
                                  : Json(nullptr)}};
  if (correlated) {
    entry["independent_shares"] =
        family.independentShares ? sharesJson((*family.independentShares)[i])
                                 : Json(nullptr);
  }
  entry["reason"] = reason ? Json(reason) : Json(nullptr);
  return entry;
}

bool anyShares(const SystemReference& reference) {
  for (const FamilyInfo& info : kFamilies) {
    const FamilyReference* family = reference.family(info.family);
    if (family != nullptr && !family->shares.empty()) return true;
  }
  return false;
}

}  // namespace

// Per family and unknown: the shares of the entries in its variance.
void writeSensitivity(const SystemReference& reference, std::ostream& out) {
  out << '[';
  bool firstFamily = true;
  for (const FamilyInfo& info : kFamilies) {
    const FamilyReference* family = reference.family(info.family);
    if (family == nullptr || family->shares.empty()) continue;
    if (!firstFamily) out << ',';
    firstFamily = false;
    out << '{';
    writeFields(Json{{"family", info.name}}, out);
    out << ",\"unknowns\":[";
    for (std::size_t i = 0; i < family->shares.size() && out; ++i) {
      if (i > 0) out << ',';
      writeJson(unknownSharesJson(*family, i, reference.correlated()), out);
    }
    out << "]}";
  }
  out << ']';
}

bool sensitivityWrittenApart(const SystemReference* reference) {
  return reference != nullptr && reference->inverseRows != nullptr &&
         (!reference->correlated() || anyShares(*reference));
}

const char* sensitivityNote(const SystemReference* reference) {
  if (reference == nullptr || !reference->correlated()) return nullptr;
  if (!sensitivityWrittenApart(reference)) return nullptr;
  return "the entries are correlated (Correlation.txt): the shares are the "
         "normal family's, \"shares\" each entry's full first-order index "
         "corr(x_i, b_j)^2 (the entry with what it has in common with the "
         "others; they need not add up to 1), \"independent_shares\" the "
         "index of its part independent of the other entries (null where "
         "the correlation matrix has no certified inverse); the other "
         "families' are not computed (their indices through the copula have "
         "no closed form)";
}

void addSensitivityReason(Json& entry, const SystemReference* reference) {
  entry["sensitivity"] = nullptr;
  if (reference != nullptr && reference->correlated() &&
      reference->inverseRows != nullptr) {
    entry["sensitivity_reason"] =
        "not computed: the entries are correlated (Correlation.txt); the "
        "shares of correlated entries are computed for the normal family "
        "up to " + std::to_string(kMostCorrelatedUnknowns) + " unknowns";
    return;
  }
  entry["sensitivity_reason"] =
      reference == nullptr ? Json(nullptr) : Json(reference->inverseReason);
}

// ---- phases -----------------------------------------------------------------

// The standard errors beside a position's values (results/standard_errors.h),
// or null in enumeration.
Json errorsJson(const std::optional<PositionErrors>& errors) {
  if (!errors) return nullptr;
  Json coverage = nullptr;
  if (errors->coverage) {
    const CoverageErrors& c = *errors->coverage;
    coverage = Json{{"symmetric", pairOf(c.symmetricLower, c.symmetricUpper)},
                    {"shortest", pairOf(c.shortestLower, c.shortestUpper)}};
  }
  const std::string& reason = errors->coverageReason;
  return Json{{"coverage_factor", errors->coverageFactor},
              {"valid", numbers(errors->masses)},
              {"lower_tail", 0.0},
              {"upper_tail", 0.0},
              {"moments", Json{{"mean", errors->mean}, {"sd", errors->sd}}},
              {"coverage_95", std::move(coverage)},
              {"coverage_95_reason", reason.empty() ? Json(nullptr) : Json(reason)}};
}

Json convergenceJson(const std::optional<Convergence>& convergence) {
  if (!convergence) return nullptr;
  Json samples = Json::array();
  std::vector<double> factors;
  std::vector<double> columns[6];
  for (const ConvergencePoint& point : *convergence) {
    samples.push_back(point.samples);
    factors.push_back(point.coverageFactor);
    const RunningEstimate* estimates[3] = {
        &point.mean, &point.symmetricLower, &point.symmetricUpper};
    for (std::size_t q = 0; q < 3; ++q) {
      columns[2 * q].push_back(estimates[q]->value);
      columns[2 * q + 1].push_back(estimates[q]->error);
    }
  }
  return Json{{"samples", std::move(samples)},
              {"coverage_factor", numbers(factors)},
              {"mean", numbers(columns[0])},
              {"mean_se", numbers(columns[1])},
              {"symmetric_lower", numbers(columns[2])},
              {"symmetric_lower_se", numbers(columns[3])},
              {"symmetric_upper", numbers(columns[4])},
              {"symmetric_upper_se", numbers(columns[5])}};
}

Json digitsJson(const std::optional<DigitsStop>& digits) {
  if (!digits) return nullptr;
  return Json{{"digits", digits->digits},
              {"most_samples", digits->mostSamples},
              {"rule_met", digits->end == DigitsEnd::kRuleMet}};
}

// The errors of merged bands: the root of the sum of their squares (the
// bands' estimates are negatively correlated, so this bounds the error of
// their sum from above, up to the batches' own spread).
Json mergedErrors(const std::vector<double>& errors, std::size_t group) {
  Json array = Json::array();
  for (std::size_t first = 0; first < errors.size(); first += group) {
    const std::size_t end = std::min(errors.size(), first + group);
    double sum = 0.0;
    for (std::size_t k = first; k < end; ++k) {
      const double square = errors[k] * errors[k];
      sum = sum + square;
    }
    array.push_back(std::sqrt(sum));
  }
  return array;
}

// The values summed in order `group` at a time (the last group takes what
// is left).
Json mergedNumbers(const std::vector<double>& values, std::size_t group) {
  Json array = Json::array();
  for (std::size_t first = 0; first < values.size(); first += group) {
    const std::size_t end = std::min(values.size(), first + group);
    double sum = 0.0;
    for (std::size_t k = first; k < end; ++k) sum = sum + values[k];
    array.push_back(sum);
  }
  return array;
}

}  // namespace linprob::json_parts
