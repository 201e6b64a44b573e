// ProgressDisplay: while a run computes, one self-updating line on standard
// error (base/console.h's status line, never standard output or a file)
// tells which phase runs, how far it has got, at how many jobs per second,
// and how long the phase and the whole run still need.
//
// The driver calls beginPhase before each phase and hands the PhaseProgress
// it returns to the phase's solver, and endPhase after it. The line is drawn
// at the start of a phase, redrawn by a ticker thread about every half
// second, and erased at the end of the phase. The time left for the run is
// the replays still to make at the rate the run has had so far.
//
// The mutex guards the current phase's description, its start and the
// replays of the phases already done; the ticker holds it while it draws, so
// a line is never drawn after its phase has ended. PhaseProgress itself is
// read without it.
#ifndef LINPROB_DRIVER_PROGRESS_DISPLAY_H_
#define LINPROB_DRIVER_PROGRESS_DISPLAY_H_

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "base/thread_group.h"
#include "distributions/family.h"
#include "linear/pivot_mode.h"
#include "solve/phase_solver.h"

namespace linprob {

// What one drawing of the line shows.
struct ProgressSnapshot {
  int system = 0;
  const char* mode = "";    // the pivoting mode's plain name
  const char* family = "";  // the family's name
  std::uint64_t jobs = 0;   // the phase's jobs
  std::uint64_t total = 0;  // the phase's replays
  std::uint64_t done = 0;   // the phase's replays made
  double phaseSeconds = 0.0;
  double runReplays = 0.0;      // every replay of the run
  double runReplaysDone = 0.0;  // made so far, this phase's included
  double runSeconds = 0.0;
};

// "Matrix2, mode row, Normal: 42.0%, 3.12M jobs/s, 5s left (run: 1m05s)";
// the rates and times only once some replays were made, the run's time
// only while replays are left.
std::string progressLine(const ProgressSnapshot& snapshot);

class ProgressDisplay {
 public:
  // `runReplays`: every job replay of the run (RunPlan::totalReplays). Starts
  // the ticker thread.
  explicit ProgressDisplay(double runReplays);
  // Stops the ticker and erases the line.
  ~ProgressDisplay();
  ProgressDisplay(const ProgressDisplay&) = delete;
  ProgressDisplay& operator=(const ProgressDisplay&) = delete;

  PhaseProgress& beginPhase(int system, const PivotMode& mode, Family family);
  void endPhase();

 private:
  using Clock = std::chrono::steady_clock;

  void tick(const std::stop_token& stop);
  void drawLocked();  // mutex_ held

  const double runReplays_;
  const Clock::time_point runStart_ = Clock::now();
  PhaseProgress progress_;
  std::mutex mutex_;
  std::condition_variable_any wake_;  // with mutex_: the ticker's sleep
  bool inPhase_ = false;
  int system_ = 0;
  const char* mode_ = "";
  const char* family_ = "";
  Clock::time_point phaseStart_;
  double replaysBefore_ = 0.0;  // of the phases already done
  ThreadGroup ticker_;          // last: stopped and joined first
};

}  // namespace linprob

#endif  // LINPROB_DRIVER_PROGRESS_DISPLAY_H_
