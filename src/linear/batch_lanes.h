// The vector types of the batched elimination: a lane per drawn system,
// kBatchLanes doubles (or 64-bit masks) at a time. In memory without the
// vector's alignment, and as the doubles and integers the batch keeps
// (may_alias).
//
// Helpers are macros or always inlined, vectors passed by reference (a
// vector passed by value across an ordinary call would change with the
// target clone).
#ifndef LINPROB_LINEAR_BATCH_LANES_H_
#define LINPROB_LINEAR_BATCH_LANES_H_

#include <cstddef>
#include <cstdint>

namespace linprob {

inline constexpr std::size_t kBatchLanes = 8;

typedef double BatchLanes
    __attribute__((vector_size(kBatchLanes * 8), aligned(8), may_alias));
typedef std::int64_t BatchMask
    __attribute__((vector_size(kBatchLanes * 8), aligned(8), may_alias));

}  // namespace linprob

// As std::fabs wherever it is compared or summed (a -0 stays -0, which
// compares and adds as +0; a NaN stays a NaN).
#define LINPROB_LANE_MAGNITUDE(x) ((x) < 0.0 ? -(x) : (x))

#endif  // LINPROB_LINEAR_BATCH_LANES_H_
