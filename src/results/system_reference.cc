#include "results/system_reference.h"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <utility>

#include "linear/exact_inverse.h"

namespace linprob {
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

}  // namespace

SystemReference makeSystemReference(SystemInputs inputs) {
  SystemReference reference;
  reference.system = inputs.system;
  reference.n = inputs.n;
  const unsigned n = inputs.n;
  if (n <= kMaxExactSize) {
    checkPairs(inputs.normalPairs, n, "NormalRHS.txt");
    checkPairs(inputs.boundsPairs, n, "UniformRHS.txt");
    const std::optional<ExactInverse> inverse =
        ExactInverse::compute(n, inputs.matrix);
    if (inverse) {
      reference.exact = computeExactReference(*inverse, inputs.matrix,
                                              inputs.rhs, inputs.intervalRhs);
      for (const FamilyInfo& info : kFamilies) {
        FamilyReference family;
        family.exactLinear =
            propagateMoments(*inverse, familyEntries(info, inputs));
        const std::optional<RectangleTable>& cells =
            inputs.cells[static_cast<std::size_t>(info.family)];
        if (!cells) {
          family.expected = family.exactLinear;
        } else if (!cells->empty()) {
          family.expected = propagateMoments(*inverse, cellEntries(*cells, n));
        }
        reference.families[static_cast<std::size_t>(info.family)] =
            std::move(family);
      }
    }
  }
  reference.matrix = std::move(inputs.matrix);
  reference.rhs = std::move(inputs.rhs);
  reference.intervalRhs = std::move(inputs.intervalRhs);
  return reference;
}

}  // namespace linprob
