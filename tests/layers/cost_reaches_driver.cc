// The cost model must not see the run it estimates.
#include "driver/system_run.h"
