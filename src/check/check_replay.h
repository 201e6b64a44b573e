// The replays of the start-of-run check (check/numeric_check.h) and the
// wording they share.
#ifndef LINPROB_CHECK_CHECK_REPLAY_H_
#define LINPROB_CHECK_CHECK_REPLAY_H_

#include <algorithm>
#include <cmath>
#include <exception>
#include <span>
#include <stop_token>
#include <string>
#include <type_traits>
#include <vector>

#include "linear/interval.h"
#include "linear/interval_replay.h"
#include "linear/linear_system.h"
#include "linear/pivot_mode.h"
#include "linear/step_replay.h"

namespace linprob {

// " under pivoting mode 0 (none)"
inline std::string underMode(const PivotMode& mode) {
  return " under pivoting mode " + std::to_string(mode.index) + " (" +
         mode.plainName + ")";
}

inline bool bothEndsFinite(const Interval& x) {
  return std::isfinite(x.lower()) && std::isfinite(x.upper());
}

// How a replay of the check ended.
enum class Replay {
  kDone,
  kRefused,  // the replay threw on the way (the interval division does
             // for a zero pivot)
  kStopped,  // `stop` was requested
};

// Replays `rhs` through the steps, kStepsPerLook at a time, looking at
// `stop` in between: the check's replays are n^2 steps long, up to seconds
// in interval arithmetic for large n.
template <typename Element>
Replay replayed(std::vector<Element>& rhs, const std::vector<step>& steps,
                const std::stop_token& stop) {
  constexpr std::size_t kStepsPerLook = 4096;
  const std::span<const step> all(steps);
  VectorRows<Element> rows{rhs};
  try {
    for (std::size_t at = 0; at < all.size(); at += kStepsPerLook) {
      if (stop.stop_requested()) return Replay::kStopped;
      const auto part =
          all.subspan(at, std::min(kStepsPerLook, all.size() - at));
      if constexpr (std::is_same_v<Element, Interval>) {
        replayIntervals(rhs, part);
      } else {
        replayOn(rows, part);
      }
    }
    return Replay::kDone;
  } catch (const std::exception&) {
    return Replay::kRefused;
  }
}

}  // namespace linprob

#endif  // LINPROB_CHECK_CHECK_REPLAY_H_
