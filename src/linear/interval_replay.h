// The replay of a step list on an interval right-hand side, bit for bit the
// result of replaySteps on Interval elements (linear/step_replay.h): every
// end rounded outward by the same operations, signed zeros and infinities
// included (a NaN end stays NaN, its sign aside). Interval sets and
// restores the rounding mode around each of its operations, some hundreds
// of nanoseconds a step; this replay sets it once per call and keeps each
// lower end negated, so that both ends round upward (the lower end as the
// negation of the upward rounding of the negated operation, which is the
// downward rounding of the operation).
//
// A scaling by a zero pivot throws std::runtime_error "boost::interval:
// empty interval created", as Interval's division does; the elements are
// then unspecified. The caller's rounding mode is restored on return and on
// the throw.
#ifndef LINPROB_LINEAR_INTERVAL_REPLAY_H_
#define LINPROB_LINEAR_INTERVAL_REPLAY_H_

#include <span>
#include <vector>

#include "linear/interval.h"
#include "linear/linear_system.h"

namespace linprob {

void replayIntervals(std::vector<Interval>& rhs, std::span<const step> steps);

}  // namespace linprob

#endif  // LINPROB_LINEAR_INTERVAL_REPLAY_H_
