// A regular made-up system of k unknowns, for timing what a run of k
// unknowns costs before its own system is at hand: a dominant diagonal
// (k + 1), the other entries spread over [-0.5, 0.5) by a fixed pattern,
// every right-hand side and pair on [-1, 1].
#ifndef LINPROB_COST_MADE_UP_SYSTEM_H_
#define LINPROB_COST_MADE_UP_SYSTEM_H_

#include "config/system_inputs.h"

namespace linprob {

SystemInputs madeUpInputs(unsigned k);

}  // namespace linprob

#endif  // LINPROB_COST_MADE_UP_SYSTEM_H_
