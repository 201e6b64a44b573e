// Solving a right-hand side by replaying the recorded elimination steps, in
// place, for plain numbers, intervals and means-and-variances.
//
// Row combinations are computed as value * element[first] + element[second],
// the product rounded before the sum; exchanges swap two elements only for a
// row exchange (value 1.0); scalings divide by the pivot (the NormalParameters
// form multiplies by 1.0 / pivot). An invalid step type prints
// "ERROR! INVALID STEP TYPE!" and the replay goes on. The element order is
// never changed by columnOrder: position k holds unknown columnOrder[k].
//
// The step list is only read, so any number of threads may replay it at once.
// replayBlock runs twice for every job of every phase: it allocates nothing.
#ifndef LINPROB_LINEAR_STEP_REPLAY_H_
#define LINPROB_LINEAR_STEP_REPLAY_H_

#include <cstddef>
#include <vector>

#include "linear/interval.h"
#include "linear/linear_system.h"
#include "linear/normal_parameters.h"

namespace linprob {

void replaySteps(std::vector<double>& rhs, const std::vector<step>& steps);
void replaySteps(std::vector<Interval>& rhs, const std::vector<step>& steps);
void replaySteps(std::vector<NormalParameters>& rhs,
                 const std::vector<step>& steps);

// The double replay on `lanes` right-hand sides at once, stored entry-major:
// entry e of right-hand side j is values[e * stride + j]. Every lane gets
// exactly the roundings of replaySteps; the loop over lanes vectorises.
void replayBlock(double* values, std::size_t stride, std::size_t lanes,
                 const std::vector<step>& steps);

}  // namespace linprob

#endif  // LINPROB_LINEAR_STEP_REPLAY_H_
