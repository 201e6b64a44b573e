// Writing the exact and interval solutions of the deterministic pass: one
// "Variable number <columnOrder[k]> has bounds: <lower> to <upper>" line per
// position k, in position order, and the same values stored under each
// unknown's input index.
#ifndef LINPROB_LINEAR_SOLUTION_OUTPUT_H_
#define LINPROB_LINEAR_SOLUTION_OUTPUT_H_

#include <ostream>
#include <vector>

#include "linear/interval.h"
#include "linear/linear_system.h"
#include "results/result_store.h"

namespace linprob {

void printBounds(const std::vector<Interval>& solution,
                 const LinearSystem& system, std::ostream& out);
// exactValue[columnOrder[k]][matrixIndex][mode] = lower(solution[k]).
void storeExactValues(const std::vector<Interval>& solution,
                      const LinearSystem& system, ResultStore& store,
                      int matrixIndex, int mode);
// intervalLow / intervalHigh[columnOrder[k]][matrixIndex][mode].
void storeIntervalValues(const std::vector<Interval>& solution,
                         const LinearSystem& system, ResultStore& store,
                         int matrixIndex, int mode);

}  // namespace linprob

#endif  // LINPROB_LINEAR_SOLUTION_OUTPUT_H_
