// SystemResult: everything the analysis of one system under one pivoting
// mode found: the column order of its elimination, the plain and the interval
// solution of the deterministic pass (by solution position, as replayed) with
// their measures against the system's exact references, the pivot growth of
// the elimination, and the result of each distribution phase, in the order
// they ran.
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
#include "results/solution_measures.h"

namespace linprob {

struct SystemResult {
  int system = 0;  // i of "Matrix<i>/"
  PivotMode mode = kPivotModes[0];
  std::vector<unsigned> columnOrder;  // input index of each position
  std::vector<Interval> exact;        // the RealRHS.txt replay, by position
  std::vector<Interval> interval;     // the IntRHS.txt replay, by position
  std::vector<SolutionMeasures> measures;  // by position
  double pivotGrowth = 1.0;           // LinearSystem::pivotGrowth
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
