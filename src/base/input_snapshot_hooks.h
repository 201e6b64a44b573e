// Between InputSnapshot and InputFile only: the snapshot that records, and
// the one served, or nullptr.
#ifndef LINPROB_BASE_INPUT_SNAPSHOT_HOOKS_H_
#define LINPROB_BASE_INPUT_SNAPSHOT_HOOKS_H_

#include "base/input_snapshot.h"

namespace linprob {

InputSnapshot* recordingInputs();
const InputSnapshot* servedInputs();

}  // namespace linprob

#endif  // LINPROB_BASE_INPUT_SNAPSHOT_HOOKS_H_
