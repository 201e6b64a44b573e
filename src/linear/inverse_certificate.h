// A second, tighter bound on the row sums of a batch lane's computed
// inverse, for the lanes whose first bound (the magnitudes of every
// factor applied to the sum of the unit vectors) leaves the condition
// number possibly above the limit.
//
// The inverse X is the backward pass B applied to Z, the forward pass's
// unit vectors. The first bound follows every factor's magnitude through
// both passes and grows with the comparison matrices of both triangles,
// exponentially for general matrices (about 1e14 at n = 50, every entry
// uniform on [-1, 1], where the inverse's row sums are about 1e2). This
// one computes B's own columns W = B e_j (a sixth of n^3 products and
// sums, against n^3 for X) and bounds
//
//   max_r sum_j |X_rj| <= (|W|inf + g |B|1) * yL + g y + e
//
// where |W|inf is W's largest row sum, |B|1 the magnitudes of B applied
// to a column of ones (a column carried beside W), yL and y the first
// bound after the forward pass and at the end, g = (2n + 1) u / (1 -
// (2n + 1) u) the relative error of a path through the backward pass
// (at most n products, n sums and one quotient, rounded each), and e what
// products rounded to below the normal range can add (each at most 2^-1075,
// at most n^3 + n^2 of them per row, none grown by more than |B|1). X =
// B Z + E with |E| <= g |B| |Z|, |Z|'s row sums are at most yL and |B|
// applied to them at most y; B's exact columns differ from W by at most
// g |B| e_j. Each computed bound is within 1e-9 relatively of the exact
// process it stands for (for n below a million); a margin of 1e-6 covers
// those and the roundings of this sum. A part that is not finite (grown
// past the doubles) leaves the lane undecided.
#ifndef LINPROB_LINEAR_INVERSE_CERTIFICATE_H_
#define LINPROB_LINEAR_INVERSE_CERTIFICATE_H_

#include <cstddef>
#include <cstdint>

#include "linear/batch_lanes.h"

namespace linprob {

// What the batch's bound pass leaves, by lane: ||A||inf, the first bound's
// largest entry after the forward pass and at the end.
struct FirstBound {
  double normA[kBatchLanes];
  double forward[kBatchLanes];
  double whole[kBatchLanes];
};

// The columns as the bound pass leaves them (lane l of entry r of column c
// at [(c * n + r) * kBatchLanes + l], A's n columns first, the pivots on
// the diagonal and the backward pass's multipliers' numerators above it);
// `units` room for n + 1 more columns, `factors` for n lane vectors, each
// on a cache line's start. Sets within[l] to all ones where lane l's
// condition number is certainly within mostCondition, to 0 where this
// bound cannot tell.
void certifyConditions(unsigned n, const double* columns, double* units,
                       double* factors, const FirstBound& first,
                       double mostCondition, std::int64_t* within);

}  // namespace linprob

#endif  // LINPROB_LINEAR_INVERSE_CERTIFICATE_H_
