// The cost model estimates a run; it does not see the check of its inputs.
#include "check/numeric_check.h"
