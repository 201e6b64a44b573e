#include "driver/calibration.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstddef>
#include <exception>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>

#include "base/console.h"
#include "base/thread_group.h"
#include "base/number_file.h"
#include "distributions/family.h"
#include "distributions/job_source_kinds.h"
#include "driver/phase_settings.h"
#include "linear/linear_system.h"
#include "linear/pivot_mode.h"
#include "linear/system_files.h"
#include "solve/phase_solver.h"

namespace linprob {
namespace {

using Clock = std::chrono::steady_clock;

// A calibration phase of about a million jobs (two million replays) takes
// some tens of milliseconds; the watch stops a larger one at that many
// replays, and any one at the time limit on a slow machine.
constexpr std::uint64_t kCalibrationJobs = std::uint64_t{1} << 20;
constexpr std::uint64_t kEnoughReplays = 2 * kCalibrationJobs;
constexpr std::chrono::milliseconds kLongest{150};
constexpr std::chrono::milliseconds kWatchInterval{1};

// The most cells per entry whose every combination stays within
// kCalibrationJobs, at most `cells`; 1 when even two cells are too many.
int calibrationCells(int cells, unsigned n) {
  int fitting = 1;
  for (int c = 2; c <= cells; ++c) {
    std::uint64_t jobs = 1;
    for (unsigned e = 0; e < n && jobs <= kCalibrationJobs; ++e) jobs *= c;
    if (jobs > kCalibrationJobs) break;
    fitting = c;
  }
  return fitting;
}

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Hides the job lines while alive, then shows them again as they were.
class HiddenJobLines {
 public:
  HiddenJobLines() : shown_(jobLinesShown()) { showJobLines(false); }
  ~HiddenJobLines() { showJobLines(shown_); }
  HiddenJobLines(const HiddenJobLines&) = delete;
  HiddenJobLines& operator=(const HiddenJobLines&) = delete;

 private:
  bool shown_;
};

// Solves `jobs` until enough replays are made or the time is up; sets the
// seconds per replay (0 when none was made) and the phase's replays per job.
void timeReplays(const JobSource& source, const LinearSystem& system,
                 const RunSettings& settings, RunCosts& costs) {
  PhaseProgress progress;
  std::stop_source stopPhase;
  SolveOptions options = solveOptionsFor(settings);
  options.stop = stopPhase.get_token();
  options.progress = &progress;

  const Clock::time_point start = Clock::now();
  {
    ThreadGroup watcher;
    watcher.start([&](const std::stop_token& own) {
      while (!own.stop_requested()) {
        if (progress.done.load(std::memory_order_relaxed) >= kEnoughReplays ||
            Clock::now() - start >= kLongest) {
          stopPhase.request_stop();
          return;
        }
        std::this_thread::sleep_for(kWatchInterval);
      }
    });
    try {
      solvePhase(source, system, options);
    } catch (const PhaseStopped&) {
      // The slice is done.
    }
    watcher.requestStop();
    watcher.join();
  }
  const double seconds = secondsSince(start);
  const std::uint64_t done = progress.done.load(std::memory_order_relaxed);
  costs.secondsPerReplay = done == 0 ? 0.0 : seconds / static_cast<double>(done);
  const std::uint64_t phaseJobs = progress.jobs.load(std::memory_order_relaxed);
  if (phaseJobs > 0) {
    costs.replaysPerJob =
        static_cast<double>(progress.total.load(std::memory_order_relaxed)) /
        static_cast<double>(phaseJobs);
  }
}

}  // namespace

std::optional<RunCosts> calibrate(const RunSettings& settings) {
  if (settings.MaxMatrix < 1) return std::nullopt;
  const HiddenJobLines hidden;
  try {
    const unsigned n = settings.Dimensions;
    const std::string folder = "Matrix0/";
    LinearSystem system(n);
    if (!loadMatrix(folder + "Matice.txt", system).ok()) return std::nullopt;
    RunCosts costs;
    const Clock::time_point start = Clock::now();
    system.eliminate(kPivotModes[0]);
    costs.secondsPerElimination = secondsSince(start);

    // The first phase itself when it is small; else the same phase with
    // fewer cells or samples, solved whole (both passes in their true
    // shares); else, with too many unknowns for even two cells, a slice of
    // the first phase.
    const FamilyInfo& family = kFamilies[0];
    const auto file = readNumbers(folder + family.parameterFile, 2 * std::size_t{n});
    if (!file.ok()) return std::nullopt;
    PhaseSpec spec;
    spec.family = &family;
    spec.n = n;
    spec.pairs = splitPairs(file.value(), n);
    spec.seed = 0;  // fixed: the calibration changes no output
    spec.count = phaseCountFor(settings);
    if (!settings.ExactDistributions) {
      spec.count = static_cast<int>(std::min<std::int64_t>(
          spec.count, static_cast<std::int64_t>(kCalibrationJobs)));
    } else {
      const int fewer = calibrationCells(spec.count, n);
      if (fewer >= 2) spec.count = fewer;
    }
    const std::unique_ptr<JobSource> source =
        makeJobSource(sourceKindFor(settings), spec);
    timeReplays(*source, system, settings, costs);
    return costs;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace linprob
