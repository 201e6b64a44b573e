// The start-of-run check and the cost model are apart: neither sees the other.
#include "cost/run_plan.h"
