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
// summary file that cannot be written. A CSV or report file that cannot be
// written is reported and the others are still written (exit status 3);
// so is standard output that fails (reported once, at the end, the run
// having gone on: base/console.h). Every result file is written under a
// fresh temporary name and renamed into place (base/output_file.h).
//
// SIGINT, SIGTERM and SIGHUP stop the run within a second in every stage:
// the settings, the start-of-run check, the calibration, the phases (their
// threads end between two blocks), each file being written, and after the
// last one. The unfinished file is removed, the completed ones stay, one
// line on standard error says which ("kept 20 completed summary files and 4
// CSV files", with ", 4 CSV files and 2 report files" once Report/ was
// begun), and the exit status is 128 + the signal.
//
// With options.group set (several processes launched by mpirun or srun),
// rank 0 does all of the above while the others run every phase with it and
// write nothing (driver/run_ranks.h); the files are those of a lone run.
//
// The exit statuses are those of driver/exit_status.h.
//
// The options: the run first enters options.workDir (status 64 when it
// cannot); a thread count overrides SolverThreadCount before the check; a
// seed fixes every sampling phase's seed; quiet hides the job lines. After
// the check, a short calibration (calibration.h) estimates the run time:
// --check prints the plan with it and ends there, having written nothing; a
// run estimated above ten minutes says so in one line on standard error and
// goes on. With showProgress a progress line is kept on standard error.
#ifndef LINPROB_DRIVER_RUN_DRIVER_H_
#define LINPROB_DRIVER_RUN_DRIVER_H_

#include "config/run_options.h"

namespace linprob {

// Runs the whole program; returns the exit status.
int runProgram(const RunOptions& options);

}  // namespace linprob

#endif  // LINPROB_DRIVER_RUN_DRIVER_H_
