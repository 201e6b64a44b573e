#include "results/system_reference.h"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <utility>

#include "linear/exact_inverse.h"
#include "linear/inverse_rows.h"

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

}  // namespace

SystemReference makeSystemReference(SystemInputs inputs) {
  SystemReference reference;
  reference.system = inputs.system;
  reference.n = inputs.n;
  const unsigned n = inputs.n;
  if (n > kMaxExactSize) {
    reference.inverseReason = "more than " + std::to_string(kMaxExactSize) +
                              " unknowns, beyond the exact inverse";
  } else {
    checkPairs(inputs.normalPairs, n, "NormalRHS.txt");
    checkPairs(inputs.boundsPairs, n, "UniformRHS.txt");
    std::optional<ExactInverse> inverse =
        ExactInverse::compute(n, inputs.matrix);
    if (!inverse) {
      reference.inverseReason = "the matrix is singular in exact arithmetic";
    } else {
      reference.exact = computeExactReference(*inverse, inputs.matrix,
                                              inputs.rhs, inputs.intervalRhs);
      // The variances of each family's entries and cells, for the shares.
      std::array<std::vector<cpp_rational>, kFamilies.size()> variances;
      std::array<std::vector<cpp_rational>, kFamilies.size()> cellVariances;
      for (const FamilyInfo& info : kFamilies) {
        const auto f = static_cast<std::size_t>(info.family);
        FamilyReference family;
        const std::vector<EntryMoments> entries = familyEntries(info, inputs);
        variances[f] = variancesOf(entries);
        family.exactLinear = propagateMoments(*inverse, entries);
        const std::optional<RectangleTable>& cells = inputs.cells[f];
        if (!cells) {
          family.expected = family.exactLinear;
        } else if (!cells->empty()) {
          const std::vector<EntryMoments> cellMoments = cellEntries(*cells, n);
          cellVariances[f] = variancesOf(cellMoments);
          family.expected = propagateMoments(*inverse, cellMoments);
        }
        reference.families[f] = std::move(family);
      }
      // A^-1 as balls for the shares and the truth. The exact inverse
      // serves here; a certified ball inverse (any size) plugs in at this
      // point, through InverseRows.
      reference.inverse = exactInverseRows(std::move(*inverse));
      for (std::size_t f = 0; f < kFamilies.size(); ++f) {
        FamilyReference& family = *reference.families[f];
        family.shares = varianceShares(*reference.inverse, variances[f]);
        if (!cellVariances[f].empty()) {
          family.cellShares =
              varianceShares(*reference.inverse, cellVariances[f]);
        }
      }
    }
  }
  reference.matrix = std::move(inputs.matrix);
  reference.rhs = std::move(inputs.rhs);
  reference.intervalRhs = std::move(inputs.intervalRhs);
  reference.normalPairs = std::move(inputs.normalPairs);
  reference.boundsPairs = std::move(inputs.boundsPairs);
  return reference;
}

}  // namespace linprob
