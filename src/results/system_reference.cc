#include "results/system_reference.h"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>

#include "linear/certified_reference.h"
#include "linear/exact_rows.h"
#include "linear/inverse_rows.h"
#include "results/correlated_shares.h"
#include "solve/phase_solver.h"

namespace linprob {

using boost::multiprecision::cpp_rational;

namespace {

// Every parameter file holds its numbers for n entries.
void checkParameterCounts(const SystemInputs& inputs) {
  for (const ParameterKindInfo& kind : kParameterKinds) {
    if (!inputs.reads(kind.kind)) continue;
    const std::vector<double>& numbers = inputs.parametersOf(kind.kind);
    const std::size_t needed =
        parameterCount(kind.kind, numbers.size(), inputs.n);
    if ((needed == 0 && inputs.n > 0) || numbers.size() != needed) {
      throw std::invalid_argument(std::string("system reference: ") +
                                  kind.file + " holds " +
                                  std::to_string(numbers.size()) +
                                  " numbers, not " + std::to_string(needed));
    }
  }
}

// The exact entry moments of a family's parameters, or the reason the
// family gives for an entry that has none.
struct FamilyEntries {
  std::vector<EntryMoments> entries;
  const char* missing = nullptr;
};

FamilyEntries familyEntries(const FamilyInfo& family,
                            const SystemInputs& inputs) {
  const EntryParameters parameters = entryParameters(
      family, inputs.parametersOf(family.parameterKind), inputs.n);
  FamilyEntries result;
  result.entries.reserve(inputs.n);
  for (unsigned j = 0; j < inputs.n; ++j) {
    ExactEntryMoments exact = family.exactMoments(parameters.entry(j));
    if (!exact.moments) {
      result.entries.clear();
      result.missing = exact.reason != nullptr ? exact.reason : "";
      return result;
    }
    result.entries.push_back(std::move(*exact.moments));
  }
  return result;
}

// The entry moments of each entry's cells.
std::vector<EntryMoments> cellEntries(const RectangleTable& cells,
                                      unsigned n) {
  std::vector<EntryMoments> entries;
  entries.reserve(n);
  std::vector<double> values(cells.size());
  std::vector<double> weights(cells.size());
  for (unsigned j = 0; j < n; ++j) {
    for (std::size_t m = 0; m < cells.size(); ++m) {
      values[m] = cells[m][j].value;
      weights[m] = cells[m][j].probability;
    }
    entries.push_back(discretisedEntryMoments(values, weights));
  }
  return entries;
}

std::vector<cpp_rational> variancesOf(const std::vector<EntryMoments>& entries) {
  std::vector<cpp_rational> variances;
  variances.reserve(entries.size());
  for (const EntryMoments& entry : entries) variances.push_back(entry.variance);
  return variances;
}

// Correlated entries: the normal family's full and independent shares
// (its copula is the multivariate normal), up to kMostCorrelatedUnknowns;
// no other family's.
void correlatedSharesOf(const SystemInputs& inputs, const FamilyTable& table,
                        SystemReference& reference,
                        const std::stop_token& stop) {
  if (inputs.n > kMostCorrelatedUnknowns) return;
  for (const FamilyInfo& info : table) {
    const auto f = static_cast<std::size_t>(info.family);
    if (info.copula != CopulaCovariance::kNormal || !reference.families[f]) {
      continue;
    }
    FamilyEntries own = familyEntries(info, inputs);
    if (own.missing != nullptr) continue;
    std::optional<CorrelatedShares> shares =
        correlatedShares(*reference.inverseRows, variancesOf(own.entries),
                         inputs.correlation, stop);
    if (!shares) throw PhaseStopped{};
    reference.families[f]->shares = std::move(shares->full);
    reference.families[f]->independentShares = std::move(shares->independent);
  }
}

// A^-1 as balls for the shares and the truth: exact rows while they are
// cheap (kMaxExactSize), else the certified enclosure; then each family's
// shares of its own variances and, in enumeration, of its cells'.
void sharesOf(const SystemInputs& inputs, const FamilyTable& table,
              SystemReference& reference, const std::stop_token& stop) {
  const unsigned n = inputs.n;
  if (n <= kMaxExactSize) {
    std::vector<unsigned> rows(n);
    for (unsigned i = 0; i < n; ++i) rows[i] = i;
    std::optional<ExactRows> exact = ExactRows::compute(n, inputs.matrix, rows);
    if (!exact) {
      reference.inverseReason = "the matrix is singular in exact arithmetic";
      return;
    }
    reference.inverseRows = exactInverseRows(std::move(*exact));
  } else {
    reference.inverseRows = certifiedInverseRows(reference.inverse);
  }
  if (inputs.correlated()) {
    correlatedSharesOf(inputs, table, reference, stop);
    return;
  }
  // Every set of variances at once: A^-1's rows are read once for all.
  std::vector<std::vector<cpp_rational>> sets;
  std::vector<std::vector<UnknownShares>*> targets;
  for (const FamilyInfo& info : table) {
    const auto f = static_cast<std::size_t>(info.family);
    if (!reference.families[f]) continue;
    FamilyReference& family = *reference.families[f];
    sets.push_back(variancesOf(familyEntries(info, inputs).entries));
    targets.push_back(&family.shares);
    const std::optional<RectangleTable>& cells = inputs.cells[f];
    if (cells && !cells->empty()) {
      sets.push_back(variancesOf(cellEntries(*cells, n)));
      targets.push_back(&family.cellShares.emplace());
    }
  }
  std::vector<std::vector<UnknownShares>> shares =
      varianceSharesOfEach(*reference.inverseRows, sets, stop);
  if (stop.stop_requested()) throw PhaseStopped{};
  for (std::size_t s = 0; s < shares.size(); ++s) {
    *targets[s] = std::move(shares[s]);
  }
}

std::string counted(std::size_t count, const char* what) {
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

// "3 of 500 values could not be decided ..." when some are open.
template <typename List>
std::string openReason(const List& values, const char* what) {
  std::size_t open = 0;
  for (const auto& value : values) {
    if (!value) ++open;
  }
  if (open == 0) return "";
  return std::to_string(open) + " of " + counted(values.size(), what) +
         " could not be decided within the precision budget";
}

void setEveryReason(ReferenceReasons& reasons, const std::string& text) {
  reasons.trueSolution = text;
  reasons.hull = text;
  reasons.conditionNumber = text;
  reasons.moments = text;
}

// "Lognormal: <reason>" for each family without exact entry moments, joined
// by "; ", after what `text` already says.
void addMissingFamilies(
    const FamilyTable& table,
    const std::array<const char*, kFamilies.size()>& missing,
    std::string& text) {
  for (const FamilyInfo& info : table) {
    const char* reason = missing[static_cast<std::size_t>(info.family)];
    if (reason == nullptr) continue;
    if (!text.empty()) text += "; ";
    text += std::string(info.name) + ": exact moments not computed";
    if (*reason != '\0') text += std::string(": ") + reason;
  }
}

constexpr const char* kCorrelatedReason =
    "the entries are correlated (Correlation.txt): the covariance of this "
    "family's entries through their copula is not computed (it has no "
    "closed form)";
constexpr const char* kCorrelatedSizeReason =
    "the entries are correlated (Correlation.txt): the moments with their "
    "covariance are computed up to 200 unknowns";

constexpr const char* kRandomMatrixReason =
    "its matrix is random: exact moments are of a fixed matrix, and INVALID "
    "is the first-order approximation";

// The references from a certified inverse: the request holds each family's
// own entry moments and then its cells' when it has any; a family without
// exact entry moments has neither, and no references.
void certifiedReferences(const SystemInputs& inputs, const FamilyTable& table,
                         CertifiedInverse& inverse,
                         SystemReference& reference,
                         const std::stop_token& stop) {
  const unsigned n = inputs.n;
  ReferenceRequest request;
  request.rhs = inputs.rhs;
  request.intervalRhs = inputs.intervalRhs;
  request.correlation = inputs.correlation;
  std::array<int, kFamilies.size()> cellSet{};
  std::array<const char*, kFamilies.size()> missing{};
  for (const FamilyInfo& info : table) {
    cellSet[static_cast<std::size_t>(info.family)] = -1;
    if (!inputs.runs(info.family)) continue;
    if (!inputs.randomMatrixOf(info.parameterKind).empty()) {
      missing[static_cast<std::size_t>(info.family)] = kRandomMatrixReason;
      continue;
    }
    if (inputs.correlated() && (info.copula == CopulaCovariance::kNone ||
                                n > kMostCorrelatedUnknowns)) {
      missing[static_cast<std::size_t>(info.family)] =
          info.copula == CopulaCovariance::kNone ? kCorrelatedReason
                                                 : kCorrelatedSizeReason;
      continue;
    }
    FamilyEntries own = familyEntries(info, inputs);
    if (own.missing != nullptr) {
      missing[static_cast<std::size_t>(info.family)] = own.missing;
      continue;
    }
    request.momentSets.push_back(std::move(own.entries));
    request.copulas.push_back(info.copula);
    const std::optional<RectangleTable>& cells =
        inputs.cells[static_cast<std::size_t>(info.family)];
    if (cells && !cells->empty()) {
      cellSet[static_cast<std::size_t>(info.family)] =
          static_cast<int>(request.momentSets.size());
      request.momentSets.push_back(cellEntries(*cells, n));
      request.copulas.push_back(info.copula);
    }
  }
  std::optional<CertifiedReference> values = computeCertifiedReference(
      inverse, request, LastResort::kWhenAffordable, stop);
  if (!values) throw PhaseStopped{};
  std::size_t set = 0;
  std::size_t open = 0;
  for (const FamilyInfo& info : table) {
    const std::size_t f = static_cast<std::size_t>(info.family);
    if (missing[f] != nullptr || !inputs.runs(info.family)) continue;
    FamilyReference family;
    family.exactLinear = std::move(values->moments[set++]);
    if (cellSet[f] >= 0) {
      family.expected = std::move(values->moments[set++]);
    } else if (!inputs.cells[f]) {
      family.expected = family.exactLinear;
    }
    for (const auto& list : {&family.exactLinear,
                             family.expected ? &*family.expected : nullptr}) {
      if (list == nullptr) continue;
      for (const auto& moments : *list) open += moments ? 0 : 1;
    }
    reference.families[f] = std::move(family);
  }
  reference.reasons.trueSolution =
      openReason(values->values.trueSolution, "value");
  reference.reasons.hull = openReason(values->values.hull, "hull");
  if (open > 0) {
    reference.reasons.moments =
        counted(open, "propagated mean or variance") +
        " could not be decided within the precision budget";
  }
  addMissingFamilies(table, missing, reference.reasons.moments);
  for (const FamilyInfo& info : table) {
    const std::size_t f = static_cast<std::size_t>(info.family);
    if (!inputs.correlated() || !reference.families[f] || !inputs.cells[f]) {
      continue;
    }
    // Enumerated correlated entries: the jobs are the copula's images of
    // normal cells (distributions/copula_enumeration.h).
    std::string& text = reference.reasons.moments;
    if (!text.empty()) text += "; ";
    text += std::string(info.name) +
            ": the moments the enumerated cells should reproduce are not "
            "computed for correlated entries";
  }
  reference.exact = std::move(values->values);
}

// The interval matrix's results, with the certified references: none
// without a report, nor beyond kMaxCertifiedSize.
void intervalResultsOf(const SystemInputs& inputs, ReferenceNeed need,
                       SystemReference& reference,
                       const std::stop_token& stop) {
  if (need == ReferenceNeed::kInputsOnly) {
    reference.intervalResultsReason = "not computed: no report is written";
    return;
  }
  if (inputs.n > kMaxCertifiedSize) {
    reference.intervalResultsReason =
        "not computed: the system has " + std::to_string(inputs.n) +
        " unknowns, above the " + std::to_string(kMaxCertifiedSize) +
        " the certified computation takes";
    return;
  }
  const IntervalMatrix a{inputs.n, inputs.intervalMatrix};
  reference.intervalResults = intervalMatrixResult(
      a, inputs.intervalRhs, std::max(1u, std::thread::hardware_concurrency()),
      stop);
  if (!reference.intervalResults) throw PhaseStopped{};
}

}  // namespace

SystemReference makeSystemReference(SystemInputs inputs,
                                    const std::stop_token& stop,
                                    ReferenceNeed need,
                                    const FamilyTable& table) {
  SystemReference reference;
  reference.system = inputs.system;
  reference.n = inputs.n;
  const unsigned n = inputs.n;
  if (need == ReferenceNeed::kInputsOnly) {
    checkParameterCounts(inputs);
    reference.inverseReason = "not computed: no report is written";
    setEveryReason(reference.reasons, reference.inverseReason);
  } else if (n > kMaxCertifiedSize) {
    reference.inverseReason = "more than " +
                              std::to_string(kMaxCertifiedSize) +
                              " unknowns, beyond the certified inverse";
    setEveryReason(reference.reasons,
                   "not computed: the system has " + std::to_string(n) +
                       " unknowns, above the " +
                       std::to_string(kMaxCertifiedSize) +
                       " the certified computation takes");
  } else {
    checkParameterCounts(inputs);
    CertifiedInverseResult certified =
        CertifiedInverse::compute(n, inputs.matrix, stop);
    if (certified.status == Certification::kStopped) throw PhaseStopped{};
    if (!certified.inverse) {
      reference.inverseReason =
          "the matrix is singular or too ill-conditioned for the certified "
          "inverse";
      setEveryReason(reference.reasons,
                     "not computed: the matrix is singular or too "
                     "ill-conditioned for the certified inverse");
    } else {
      certifiedReferences(inputs, table, *certified.inverse, reference, stop);
      certified.inverse->releaseWorkingData();
      reference.inverse = std::make_shared<const CertifiedInverse>(
          std::move(*certified.inverse));
      sharesOf(inputs, table, reference, stop);
    }
  }
  if (!inputs.intervalMatrix.empty()) {
    intervalResultsOf(inputs, need, reference, stop);
  }
  if (inputs.correlated()) {
    std::optional<CorrelationFactor> factor =
        CorrelationFactor::of(inputs.correlation, n);
    // The start-of-run check refused an R without a factor.
    if (!factor) {
      throw std::invalid_argument("system reference: " +
                                  std::string(kCorrelationFile) +
                                  " is not positive semidefinite");
    }
    reference.correlationFactor =
        std::make_shared<const CorrelationFactor>(std::move(*factor));
  }
  // The numbers move over whole: the inputs' cells are not kept.
  static_cast<SystemNumbers&>(reference) = std::move(inputs);
  reference.condition = conditionVerdict(
      reference.exact ? std::optional<double>(reference.exact->conditionNumber)
                      : std::nullopt,
      reference.conditionEstimate);
  return reference;
}

}  // namespace linprob
