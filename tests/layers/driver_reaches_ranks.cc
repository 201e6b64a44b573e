// The run knows its processes only as a ProcessGroup: the launcher (MPI)
// stays in the program.
#include "ranks/launch.h"
