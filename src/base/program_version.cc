#include "base/program_version.h"

#ifndef LINPROB_VERSION
#define LINPROB_VERSION "unknown"
#endif

namespace linprob {

const char* programVersion() { return LINPROB_VERSION; }

}  // namespace linprob
