// The replay of a compiled schedule (ReplaySchedule) on a block of
// right-hand sides, tiled for the caches and the registers.
//
// The block's lanes are taken a tile at a time: a tile's rows are copied, in
// logical order, into a buffer sized like a second-level cache, and
// there the forward and the backward triangle are solved panel by panel, each
// panel's rows (kPanelRows of them) for eight lanes at a time held in
// registers while every earlier row is added into them, in source order; the
// scalings are applied as the rows are copied back. Each element thus sees
// the one-by-one replay's operations in its order, every product rounded
// before its sum (no fused multiply-add), so the values are replayBlock's,
// bit for bit.
//
// Each thread keeps one tile buffer of its own for all its calls (about
// 1 MiB, or the rows of eight lanes when those take more); nothing else is
// allocated.
#ifndef LINPROB_LINEAR_TILED_REPLAY_H_
#define LINPROB_LINEAR_TILED_REPLAY_H_

#include <cstddef>

#include "linear/replay_schedule.h"

namespace linprob {

// From this many unknowns on, the tiled replay is the faster one; below,
// a block's rows fit the first-level cache and replayBlock, without the
// copies in and out, is as fast or faster.
inline constexpr unsigned kTiledReplayFrom = 8;

// Solves `lanes` right-hand sides stored entry-major, entry e of right-hand
// side j at values[e * stride + j], as replayBlock with the steps `schedule`
// was compiled from would. `schedule` must be usable.
void replayScheduled(const ReplaySchedule& schedule, double* values,
                     std::size_t stride, std::size_t lanes);

}  // namespace linprob

#endif  // LINPROB_LINEAR_TILED_REPLAY_H_
