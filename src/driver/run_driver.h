// The run driver: reads the settings, checks every input file of the run,
// then for every pivoting mode (outer loop) and every system (inner loop)
// runs the deterministic pass and the three distribution phases, and at the
// end exports the result store.
//
// One run per working folder: the run holds an advisory lock on
// ".linprob.lock" there; a second run is refused at start.
//
// Input errors (settings, files, systems that are numerically singular or
// would overflow) are reported on standard error, one line per problem
// naming the file or option, before anything is written; the exit status is
// then 1. An error while computing (a thread that cannot start, a result
// that is not finite) is reported with the system and pivoting mode, files
// already written are left intact, and the exit status is 2; so is a
// summary file that cannot be written. A CSV file that cannot be written is
// reported and the others are still written (exit status 3). Every result
// file is written under a temporary name and renamed into place.
//
// SIGINT, SIGTERM and SIGHUP stop the run: its threads end between two
// blocks, the unfinished file is removed, the completed ones stay, one line
// on standard error says so, and the exit status is 128 + the signal.
#ifndef LINPROB_DRIVER_RUN_DRIVER_H_
#define LINPROB_DRIVER_RUN_DRIVER_H_

namespace linprob {

// Runs the whole program in the current working directory; returns the exit
// status.
int runProgram();

}  // namespace linprob

#endif  // LINPROB_DRIVER_RUN_DRIVER_H_
