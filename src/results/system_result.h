// SystemResult: everything the analysis of one system under one pivoting
// mode found: the column order of its elimination, the plain and the interval
// solution of the deterministic pass (by solution position, as replayed) with
// their measures against the system's exact references, the pivot growth of
// the elimination, and the result of each distribution phase, in the order
// they ran.
#ifndef LINPROB_RESULTS_SYSTEM_RESULT_H_
#define LINPROB_RESULTS_SYSTEM_RESULT_H_

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

}  // namespace linprob

#endif  // LINPROB_RESULTS_SYSTEM_RESULT_H_
