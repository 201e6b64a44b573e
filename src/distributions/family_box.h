// FamilyBox: the box that holds every right-hand side a distribution phase
// can produce, entry by entry, so that the start-of-run check can replay it
// in interval arithmetic and prove that no job of the phase overflows.
//
// Enumeration: each entry's interval is the hull of its cells' values (the
// cells themselves, values and weights, must be finite). Sampling: the range
// the family's draws come from (FamilyInfo::samplingRange).
#ifndef LINPROB_DISTRIBUTIONS_FAMILY_BOX_H_
#define LINPROB_DISTRIBUTIONS_FAMILY_BOX_H_

#include <optional>
#include <vector>

#include "distributions/family.h"
#include "distributions/sample_rectangle.h"

namespace linprob {

struct FamilyBox {
  std::vector<double> lower;  // per entry
  std::vector<double> upper;
  // The first entry whose cells (values or weights) or range are not
  // finite; the box is then incomplete.
  std::optional<unsigned> faultyEntry;
};

// The hull of the cells of each of the n entries of `cells` ([cell][entry],
// no cell gives the box [0, 0]).
FamilyBox cellBox(const RectangleTable& cells, unsigned n);

// The sampling range of each entry of `family` from its parameters.
FamilyBox samplingBox(const FamilyInfo& family,
                      const EntryParameters& entries);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_FAMILY_BOX_H_
