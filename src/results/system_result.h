// SystemResult: everything the analysis of one system under one pivoting
// mode found: the column order of its elimination, the deterministic pass
// (by solution position, as replayed): the plain right-hand side replayed in
// doubles (the point, every product and sum rounded to nearest in the
// recorded order) and in interval arithmetic (its bounds, which the summary
// file prints as the exact values), and the interval right-hand side
// replayed in interval arithmetic; the pivot growth of the elimination, and
// the result of each distribution phase, in the order they ran.
//
// findNonFinite is the last guard before a result is written: the
// start-of-run check proves that nothing overflows, so a number that is not
// finite here means something changed while the program ran, and the result
// must not be written.
#ifndef LINPROB_RESULTS_SYSTEM_RESULT_H_
#define LINPROB_RESULTS_SYSTEM_RESULT_H_

#include <optional>
#include <string>
#include <vector>

#include "linear/interval.h"
#include "linear/pivot_mode.h"
#include "results/phase_result.h"

namespace linprob {

struct SystemResult {
  int system = 0;  // i of "Matrix<i>/"
  PivotMode mode = kPivotModes[0];
  std::vector<unsigned> columnOrder;  // input index of each position
  // The plain replay: RealRHS.txt in doubles, and in intervals (the bounds
  // the summaries print as the exact values), by position.
  std::vector<double> plainReplay;
  std::vector<Interval> plainReplayBounds;
  std::vector<Interval> interval;  // the IntRHS.txt replay, by position
  double pivotGrowth = 1.0;        // LinearSystem::pivotGrowth
  std::vector<PhaseResult> phases;
};

// The first number of `result` that is not finite, named for a message:
// "the exact value of unknown 1", "the interval of unknown 0", "the Normal
// family's VALID table of unknown 2", "the Uniform family's INVALID table of
// unknown 0", "the Triangular family's mean or variance of unknown 1".
// Nothing when every number is finite.
std::optional<std::string> findNonFinite(const SystemResult& result);

}  // namespace linprob

#endif  // LINPROB_RESULTS_SYSTEM_RESULT_H_
