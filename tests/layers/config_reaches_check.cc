// The configuration of a run must not see the check that reads its inputs.
#include "check/input_check.h"
