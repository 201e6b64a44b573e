// A run of the program from Python: the command line's arguments parsed as
// the program parses them, the run itself on a worker thread while the
// calling thread, the GIL released, waits for it and looks for Python's
// signals every tenth of a second.
//
// While the run goes on, the driver's own stop signals (base/stop_signals.h)
// catch SIGINT, SIGTERM and SIGHUP: Ctrl-C stops the run within a second
// and the run ends with 128 + the signal. A signal that Python's handler
// caught instead (before the driver's were in place) is passed on to the
// run by raising SIGINT again until the run ends. The worker is always
// joined before the call returns.
//
// Only one run at a time in a process (the driver changes the working
// directory and owns the signal handlers while it runs): a second call
// waits for the first. The working directory is restored afterwards;
// standard output's lines are not printed and standard error's are
// collected and returned.
#ifndef LINPROB_PYTHON_NATIVE_RUN_H_
#define LINPROB_PYTHON_NATIVE_RUN_H_

#include <memory>
#include <string>
#include <vector>

#include "config/given_inputs.h"
#include "output/report_folder.h"

namespace linprob {

// How a run from Python ended.
struct NativeRunEnd {
  int exitStatus = 0;
  // Every line the run wrote to standard error (or the usage text).
  std::string errors;
  // Whether Python's own handler saw an interrupt during the run.
  bool pythonInterrupted = false;
};

// Parses `arguments` (without the program's name) as the command line does
// and runs them. Call with the GIL held; it is released while the run goes
// on. Returns with a Python error set only when pythonInterrupted.
// With `given`, the run takes its settings and inputs from there instead of
// its working folder and writes its report alone (no summary files, no CSV
// export), into `report`: nothing is read from or written to a folder.
NativeRunEnd runArguments(const std::vector<std::string>& arguments,
                          std::shared_ptr<GivenInputs> given = nullptr,
                          ReportBytes* report = nullptr);

// The systems under a mode the run going on (or the last one) has done.
int systemsDone();

}  // namespace linprob

#endif  // LINPROB_PYTHON_NATIVE_RUN_H_
