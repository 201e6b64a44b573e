#include "base/program_version.h"

#ifndef LINPROB_VERSION
#define LINPROB_VERSION "unknown"
#endif
#ifndef LINPROB_GIT_COMMIT
#define LINPROB_GIT_COMMIT ""
#endif

namespace linprob {

const char* programVersion() { return LINPROB_VERSION; }
const char* programCommit() { return LINPROB_GIT_COMMIT; }

}  // namespace linprob
