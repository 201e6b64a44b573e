// PointKind: which points a distribution phase solves, the vocabulary the
// rest of the program speaks. Each kind has its row in point_kinds.h, which
// is all that a kind's names, jobs, designs and source come from.
#ifndef LINPROB_DISTRIBUTIONS_POINT_KIND_H_
#define LINPROB_DISTRIBUTIONS_POINT_KIND_H_

namespace linprob {

enum class PointKind {
  kEnumeration,     // every combination of one cell per entry
  kRandom,          // independent pseudo-random samples
  kSobol,           // scrambled Sobol' points
  kLatinHypercube,  // Latin hypercube designs
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_POINT_KIND_H_
