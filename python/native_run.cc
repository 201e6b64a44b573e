#include "native_run.h"

#include <Python.h>
#include <hdf5.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <iostream>
#include <mutex>
#include <sstream>
#include <utility>

#include "base/console.h"
#include "base/stop_signals.h"
#include "driver/command_line.h"
#include "driver/run_driver.h"

namespace linprob {
namespace {

// One run at a time in the process.
std::mutex runMutex;

// The systems under a mode done by the run going on.
std::atomic<int> doneCount{0};

// How often the waiting thread looks for Python's signals.
constexpr auto kSignalPoll = std::chrono::milliseconds(100);

// The working directory when made, restored when destroyed.
class KeptDirectory {
 public:
  KeptDirectory() : fd_(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
  ~KeptDirectory() {
    if (fd_ < 0) return;
    [[maybe_unused]] const int back = ::fchdir(fd_);
    ::close(fd_);
  }
  KeptDirectory(const KeptDirectory&) = delete;
  KeptDirectory& operator=(const KeptDirectory&) = delete;

 private:
  int fd_;
};

// Standard error's lines held in `buffer` while alive (base/console.h
// writes them through std::cerr), standard output's lines hidden.
class HeldConsole {
 public:
  explicit HeldConsole(std::stringbuf& buffer)
      : previous_(std::cerr.rdbuf(&buffer)) {
    showLines(false);
  }
  ~HeldConsole() {
    showLines(true);
    std::cerr.rdbuf(previous_);
  }
  HeldConsole(const HeldConsole&) = delete;
  HeldConsole& operator=(const HeldConsole&) = delete;

 private:
  std::streambuf* previous_;
};

// Waits for `run` with the GIL released, looking for Python's signals
// every kSignalPoll; once one is pending, raises SIGINT again and again
// until the run ends (the driver's handler, once in place, stops it).
bool waitForRun(std::future<int>& run) {
  bool interrupted = false;
  PyThreadState* state = PyEval_SaveThread();
  while (run.wait_for(kSignalPoll) != std::future_status::ready) {
    if (interrupted) {
      if (!StopSignals::arrived()) ::kill(::getpid(), SIGINT);
      continue;
    }
    PyEval_RestoreThread(state);
    interrupted = PyErr_CheckSignals() != 0;
    state = PyEval_SaveThread();
  }
  PyEval_RestoreThread(state);
  if (interrupted) {
    // A SIGINT raised here that Python's handler met after the run: taken
    // now, so that the one KeyboardInterrupt is all the caller sees.
    PyObject* type = nullptr;
    PyObject* value = nullptr;
    PyObject* traceback = nullptr;
    PyErr_Fetch(&type, &value, &traceback);
    if (PyErr_CheckSignals() != 0) PyErr_Clear();
    PyErr_Restore(type, value, traceback);
  }
  return interrupted;
}

}  // namespace

int systemsDone() { return doneCount.load(); }

NativeRunEnd runArguments(const std::vector<std::string>& arguments,
                          std::shared_ptr<GivenInputs> given,
                          ReportBytes* report) {
  NativeRunEnd end;
  const CommandLine line = parseArguments(arguments, false);
  if (!line.run) {
    end.exitStatus = line.exitStatus;
    end.errors = line.text;
    return end;
  }
  RunOptions options = *line.run;
  if (given) {
    options.given = std::move(given);
    options.summaries = SummaryChoice::kSkipped;
    options.reportBytes = report;
  }
  std::unique_lock<std::mutex> lock(runMutex, std::defer_lock);
  {
    PyThreadState* state = PyEval_SaveThread();
    lock.lock();
    PyEval_RestoreThread(state);
  }
  doneCount = 0;
  options.systemsDone = &doneCount;
  std::stringbuf errors;
  {
    KeptDirectory directory;
    HeldConsole console(errors);
    std::packaged_task<int()> task([&options] { return runProgram(options); });
    std::future<int> result = task.get_future();
    std::thread worker(std::move(task));
    end.pythonInterrupted = waitForRun(result);
    worker.join();
    end.exitStatus = result.get();
  }
  end.errors = errors.str();
  // As the netCDF library does on the thread that first uses it (the run's
  // worker): HDF5's own error printing off, where Python reads results.nc.
  H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
  return end;
}

}  // namespace linprob
