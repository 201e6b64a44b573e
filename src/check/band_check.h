// The start-of-run check of a phase's bands (check/numeric_check.h): the
// bands of a phase whose band width would be below the resolution of its
// values collapse, and the phase refuses to count them (solve/phase_solver.h,
// BandsCollapse). The check finds the same refusal, with the same message,
// before anything is written:
//
// - the solved values of a position lie in its box's replay [L, U]; a few of
//   the phase's own jobs (probes) replayed give a Min and a Max that the
//   phase's can only widen, so its band width is at least theirs over
//   HistogramPrecision H;
// - a position whose box is a point (one value: no collapse), or whose
//   probes are apart by at least 2 H (H + 1) e, where e is half a unit in
//   the last place of the largest border, cannot collapse: each of the at
//   most H + 1 borders moves by the band width less e, and they reach Max;
// - otherwise the phase's first pass is made as the phase makes it (the
//   extreme search, or every job replayed: the same Min and Max, bit for
//   bit) and its borders laid: the verdict and the message are the phase's.
//   A first pass of more than kMostCheckedReplays / n^2 replays is not
//   made; the phase then decides for itself.
//
// Sampling phases draw their probes and samples from the run's seed (drawn
// before the check when --seed gives none); with --digits, from the design
// of its first round, which every phase runs (later rounds, which run only
// when the first misses the rule, are not checked).
#ifndef LINPROB_CHECK_BAND_CHECK_H_
#define LINPROB_CHECK_BAND_CHECK_H_

#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "check/family_inputs.h"
#include "linear/interval.h"
#include "linear/linear_system.h"
#include "linear/pivot_mode.h"
#include "solve/phase_solver.h"

namespace linprob {

// The refusal of a phase whose bands would collapse, e.g. "Triangular
// family, unknown 0: the band width 1e-16 (HistogramPrecision 1000) is below
// the resolution of the values from Min 1 to Max 1.0000000000001: the bands
// would collapse". The phase throws it, and the check says it first.
std::string collapseMessage(const FamilyInfo& family, unsigned unknown,
                            const BandsCollapse& collapse,
                            int histogramPrecision);

// The most replays times n^2 the check spends on a phase's first pass.
inline constexpr double kMostCheckedReplays = 4e9;

// The phase's refusal, "Matrix0 under pivoting mode 0 (none): Triangular
// family, unknown 0: the band width ... the bands would collapse", or
// nothing. `box`: the family's box replayed through the mode's steps, by
// solution position. Nothing once `stop` is requested.
std::optional<std::string> collapsingBands(const FamilyInputs& family,
                                           const std::vector<Interval>& box,
                                           const LinearSystem& system,
                                           const PivotMode& mode,
                                           const std::stop_token& stop);

}  // namespace linprob

#endif  // LINPROB_CHECK_BAND_CHECK_H_
