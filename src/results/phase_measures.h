// measurePhase: the measures of every position of a phase (its coverage
// interval, its approximations judged against it, its truth), from its own
// values and its system's references (results/position_measures.h holds
// what they are).
#ifndef LINPROB_RESULTS_PHASE_MEASURES_H_
#define LINPROB_RESULTS_PHASE_MEASURES_H_

#include <span>
#include <stop_token>

#include "results/added_measure.h"
#include "results/phase_result.h"
#include "results/system_reference.h"

namespace linprob {

// Fills the measures of every position of `phase` from its own values and
// `reference` (its family's moments, by the position's unknown), and then
// releases each position's fine histogram: the coverage interval is all a
// result keeps of it. Incomplete, for the caller to drop, once `stop` is
// requested (looked at per position and within its tables). The positions
// on up to `threads` threads (the same measures for any number). The added
// measures are `added`'s rows, the program's unless a test gives others.
void measurePhase(PhaseResult& phase, const SystemReference& reference,
                  const std::stop_token& stop = {}, unsigned threads = 1,
                  std::span<const AddedMeasure> added = addedMeasures());

}  // namespace linprob

#endif  // LINPROB_RESULTS_PHASE_MEASURES_H_
