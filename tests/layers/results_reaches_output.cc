// Result values must not see the writers that render them.
#include "output/summary_file.h"
