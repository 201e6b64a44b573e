// ModeEliminations: the eliminations of one system under the four pivoting
// modes that the start-of-run check made anyway, kept for the run so that
// it does not eliminate the same matrix again (four O(n^3) eliminations on
// one thread, about 1.5 s at 1,000 unknowns). They are kept only while all
// systems' fit kKeptEliminationBytes: beyond it the run eliminates each
// mode itself, as the memory would be worth more than the time.
#ifndef LINPROB_CONFIG_MODE_ELIMINATIONS_H_
#define LINPROB_CONFIG_MODE_ELIMINATIONS_H_

#include <array>
#include <optional>

#include "linear/linear_system.h"
#include "linear/pivot_mode.h"

namespace linprob {

// By mode index; an empty slot: the run eliminates that mode itself.
using ModeEliminations =
    std::array<std::optional<LinearSystem>, kPivotModes.size()>;

// Which eliminations the start-of-run check keeps of a system: every mode's, or the
// first mode's alone (what --check's calibration times its phases on).
enum class KeptEliminations { kEvery, kFirst };

// What the check keeps of its eliminations at most, all systems together.
inline constexpr double kKeptEliminationBytes = 256.0 * 1024 * 1024;

// The memory that the kept eliminations of `systems` systems of n unknowns
// take (each mode's matrix and its steps, the steps' vector at its
// capacity), or 0 when that is above kKeptEliminationBytes: none are kept.
double keptEliminationBytes(unsigned n, int systems);

}  // namespace linprob

#endif  // LINPROB_CONFIG_MODE_ELIMINATIONS_H_
