#include "distributions/family_box.h"

#include <cmath>
#include <cstddef>

namespace linprob {
namespace {

void noteFault(FamilyBox& box, unsigned entry) {
  if (!box.faultyEntry) box.faultyEntry = entry;
}

}  // namespace

FamilyBox cellBox(const RectangleTable& cells, unsigned n) {
  FamilyBox box;
  // Without cells there is no job, and nothing to hold: a zero box.
  box.lower.assign(n, cells.empty() ? 0.0 : HUGE_VAL);
  box.upper.assign(n, cells.empty() ? 0.0 : -HUGE_VAL);
  for (unsigned e = 0; e < n; ++e) {
    for (const std::vector<SampleRectangle>& row : cells) {
      const SampleRectangle& cell = row[e];
      if (!std::isfinite(cell.value) || !std::isfinite(cell.probability)) {
        noteFault(box, e);
        break;
      }
      if (cell.value < box.lower[e]) box.lower[e] = cell.value;
      if (cell.value > box.upper[e]) box.upper[e] = cell.value;
    }
  }
  return box;
}

FamilyBox samplingBox(const FamilyInfo& family,
                      const EntryParameters& entries) {
  FamilyBox box;
  const std::size_t n = entries.size();
  box.lower.resize(n);
  box.upper.resize(n);
  for (std::size_t e = 0; e < n; ++e) {
    const SamplingRange range = family.samplingRange(entries.entry(e));
    box.lower[e] = range.lower;
    box.upper[e] = range.upper;
    if (!std::isfinite(box.lower[e]) || !std::isfinite(box.upper[e])) {
      noteFault(box, static_cast<unsigned>(e));
    }
  }
  return box;
}

}  // namespace linprob
