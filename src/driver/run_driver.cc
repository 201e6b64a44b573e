#include "driver/run_driver.h"

namespace linprob {

int runProgram() { return 0; }

}  // namespace linprob
