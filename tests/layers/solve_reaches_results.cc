// The phase pipeline must not see the result values built on top of it.
#include "results/phase_result.h"
