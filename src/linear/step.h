// step: one operation an elimination records (linear/linear_system.h), as
// the replays and the replay schedule read it.
#ifndef LINPROB_LINEAR_STEP_H_
#define LINPROB_LINEAR_STEP_H_

#include <cstdint>

namespace linprob {

// The kind of a recorded operation, stored as the 32-bit number 0, 1 or 2.
// Any other number is an invalid step: the replay reports it and goes on.
enum class StepKind : std::int32_t {
  kCombination = 0,  // row `second` += value * row `first`
  kExchange = 1,     // of `first` and `second`: value 1.0 rows, 2.0 columns
  kScaling = 2,      // row `first` is divided by the pivot `value`
};

// One recorded operation of the elimination.
struct step {
  StepKind type = StepKind::kCombination;
  std::uint32_t first = 0;
  std::uint32_t second = 0;
  double value = 0.0;
};

inline constexpr double kRowExchange = 1.0;
inline constexpr double kColumnExchange = 2.0;

}  // namespace linprob

#endif  // LINPROB_LINEAR_STEP_H_
