// RunRanks: how the processes of one run (base/process_group.h) start and
// end together.
//
// Rank 0 reads the settings and checks every input, then announces the
// start to the other processes: either the exit status the run ends with
// there (inputs refused, a stop, a working folder it cannot enter), or the
// settings after the command line's overrides. The other processes wait for
// it: they end with the same status, or run every phase with rank 0,
// printing nothing (their thread count is their own -j, else rank 0's
// SolverThreadCount). They never read the working folder: rank 0 hands them
// each system's inputs (config/system_inputs.h).
//
// After the start and until the last phase is done, a process that ends
// with a failure (an error, a stop) ends every process at once
// (ProcessGroup::abort) with its status, after its message on standard
// error: no process is left waiting for it. A stop that reaches every
// process (a signal to the whole launch) is the exception: from the start
// on no process waits for another once it stops (GroupStopped), and when
// every process stops, each ends alone with its own 128 + N, rank 0's
// message the only one. A failure of rank 0 while it
// writes the run's files (CSV, report) afterwards ends rank 0 only, with its
// status; the others have ended already. The
// other processes hold their messages until then, so that a failure every
// process meets alike is reported once, by rank 0.
//
// Without a group, or with a group of one, a RunRanks does nothing: the run
// is a lone process's.
#ifndef LINPROB_DRIVER_RUN_RANKS_H_
#define LINPROB_DRIVER_RUN_RANKS_H_

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "base/process_group.h"
#include "config/settings.h"

namespace linprob {

// The start as rank 0 announces it, and its bytes.
struct RunStartNote {
  std::optional<int> endStatus;  // set: every process ends with it
  RunSettings settings;          // when the run goes on
};
std::string toBytes(const RunStartNote& note);
// Throws std::runtime_error "run start: cut short" on bytes toBytes did not
// make.
RunStartNote runStartFromBytes(const std::string& bytes);

class RunRanks {
 public:
  // group: nullptr or a group of one for a lone run. Other than on rank 0,
  // hides every console line and holds standard error from here on.
  explicit RunRanks(ProcessGroup* group);
  ~RunRanks();
  RunRanks(const RunRanks&) = delete;
  RunRanks& operator=(const RunRanks&) = delete;

  // The group when there are other processes, else nullptr.
  ProcessGroup* group() const { return group_; }
  bool isRoot() const { return group_ == nullptr || group_->isRoot(); }

  // Rank 0: the run goes on with `settings`.
  void announceStart(const RunSettings& settings);
  // Other ranks: waits for rank 0. Nothing when the run goes on (settings
  // filled, SolverThreadCount from `solverThreads` when set), else the
  // status to end with.
  std::optional<int> awaitStart(RunSettings& settings,
                                std::optional<int> solverThreads);

  // Rank 0's run seed, on every process (collective; `seed` itself when
  // alone).
  std::optional<std::uint64_t> rootSeed(std::optional<std::uint64_t> seed);

  // Every process, once the last phase is done: rank 0 then writes the
  // run's files alone, and a failure there ends rank 0 only.
  void phasesDone() { phasesDone_ = true; }

  // Every process, last: the status to exit with. Before the start it is
  // announced to the others; after it, a failure aborts every process.
  int end(int status);

 private:
  ProcessGroup* group_ = nullptr;
  bool started_ = false;
  bool toldToEnd_ = false;  // rank 0 announced the status to end with
  bool phasesDone_ = false;
  std::ostringstream held_;  // standard error, other than on rank 0
  std::streambuf* standardError_ = nullptr;
};

}  // namespace linprob

#endif  // LINPROB_DRIVER_RUN_RANKS_H_
