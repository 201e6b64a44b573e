// The run driver: reads the settings, checks every input file of the run,
// then for every pivoting mode (outer loop) and every system (inner loop)
// runs the deterministic pass and the three distribution phases, and at the
// end exports the result store.
//
// Input errors are reported on standard error, one line per problem naming
// the file, before anything is written; the exit status is then 1. An error
// while computing (such as an interval the library refuses) is reported with
// the system and pivoting mode, files already written are left intact, and
// the exit status is 2.
#ifndef LINPROB_DRIVER_RUN_DRIVER_H_
#define LINPROB_DRIVER_RUN_DRIVER_H_

namespace linprob {

// Runs the whole program in the current working directory; returns the exit
// status.
int runProgram();

}  // namespace linprob

#endif  // LINPROB_DRIVER_RUN_DRIVER_H_
