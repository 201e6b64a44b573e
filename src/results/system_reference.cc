#include "results/system_reference.h"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <utility>

#include "linear/certified_reference.h"
#include "linear/exact_rows.h"
#include "linear/inverse_rows.h"
#include "solve/phase_solver.h"

namespace linprob {

using boost::multiprecision::cpp_rational;

namespace {

void checkPairs(const std::vector<double>& pairs, unsigned n,
                const char* file) {
  const std::size_t needed = 2 * static_cast<std::size_t>(n);
  if (pairs.size() != needed) {
    throw std::invalid_argument(std::string("system reference: ") + file +
                                " holds " + std::to_string(pairs.size()) +
                                " numbers, not " + std::to_string(needed));
  }
}

// The entry moments of a family's parameter pairs.
std::vector<EntryMoments> familyEntries(const FamilyInfo& family,
                                        const SystemInputs& inputs) {
  const std::vector<double>& pairs = inputs.pairsOf(family.parameterKind);
  std::vector<EntryMoments> entries;
  entries.reserve(inputs.n);
  for (std::size_t j = 0; j < inputs.n; ++j) {
    entries.push_back(family.exactMoments(pairs[2 * j], pairs[2 * j + 1]));
  }
  return entries;
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

// A^-1 as balls for the shares and the truth: exact rows while they are
// cheap (kMaxExactSize), else the certified enclosure; then each family's
// shares of its own variances and, in enumeration, of its cells'.
void sharesOf(const SystemInputs& inputs, SystemReference& reference,
              const std::stop_token& stop) {
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
  // Every set of variances at once: A^-1's rows are read once for all.
  std::vector<std::vector<cpp_rational>> sets;
  std::vector<std::vector<UnknownShares>*> targets;
  for (const FamilyInfo& info : kFamilies) {
    const auto f = static_cast<std::size_t>(info.family);
    if (!reference.families[f]) continue;
    FamilyReference& family = *reference.families[f];
    sets.push_back(variancesOf(familyEntries(info, inputs)));
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

// The references from a certified inverse: the request holds each family's
// own entry moments and then its cells' when it has any.
void certifiedReferences(const SystemInputs& inputs, CertifiedInverse& inverse,
                         SystemReference& reference,
                         const std::stop_token& stop) {
  const unsigned n = inputs.n;
  ReferenceRequest request;
  request.rhs = inputs.rhs;
  request.intervalRhs = inputs.intervalRhs;
  std::array<int, kFamilies.size()> cellSet{};
  for (const FamilyInfo& info : kFamilies) {
    request.momentSets.push_back(familyEntries(info, inputs));
    const std::optional<RectangleTable>& cells =
        inputs.cells[static_cast<std::size_t>(info.family)];
    cellSet[static_cast<std::size_t>(info.family)] = -1;
    if (cells && !cells->empty()) {
      cellSet[static_cast<std::size_t>(info.family)] =
          static_cast<int>(request.momentSets.size());
      request.momentSets.push_back(cellEntries(*cells, n));
    }
  }
  std::optional<CertifiedReference> values = computeCertifiedReference(
      inverse, request, LastResort::kWhenAffordable, stop);
  if (!values) throw PhaseStopped{};
  std::size_t set = 0;
  std::size_t open = 0;
  for (const FamilyInfo& info : kFamilies) {
    const std::size_t f = static_cast<std::size_t>(info.family);
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
  reference.exact = std::move(values->values);
}

}  // namespace

SystemReference makeSystemReference(SystemInputs inputs,
                                    const std::stop_token& stop,
                                    ReferenceNeed need) {
  SystemReference reference;
  reference.system = inputs.system;
  reference.n = inputs.n;
  const unsigned n = inputs.n;
  if (need == ReferenceNeed::kInputsOnly) {
    checkPairs(inputs.normalPairs, n, "NormalRHS.txt");
    checkPairs(inputs.boundsPairs, n, "UniformRHS.txt");
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
    checkPairs(inputs.normalPairs, n, "NormalRHS.txt");
    checkPairs(inputs.boundsPairs, n, "UniformRHS.txt");
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
      certifiedReferences(inputs, *certified.inverse, reference, stop);
      certified.inverse->releaseWorkingData();
      reference.inverse = std::make_shared<const CertifiedInverse>(
          std::move(*certified.inverse));
      sharesOf(inputs, reference, stop);
    }
  }
  reference.matrix = std::move(inputs.matrix);
  reference.rhs = std::move(inputs.rhs);
  reference.intervalRhs = std::move(inputs.intervalRhs);
  reference.normalPairs = std::move(inputs.normalPairs);
  reference.boundsPairs = std::move(inputs.boundsPairs);
  reference.conditionEstimate = inputs.conditionEstimate;
  reference.condition = conditionVerdict(
      reference.exact ? std::optional<double>(reference.exact->conditionNumber)
                      : std::nullopt,
      reference.conditionEstimate);
  return reference;
}

}  // namespace linprob
