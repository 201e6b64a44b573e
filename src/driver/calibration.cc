#include "driver/calibration.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstddef>
#include <exception>
#include <memory>
#include <random>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "base/console.h"
#include "base/thread_group.h"
#include "base/number_file.h"
#include "distributions/family.h"
#include "distributions/job_source_kinds.h"
#include "driver/phase_settings.h"
#include "linear/certified_reference.h"
#include "linear/linear_system.h"
#include "linear/pivot_mode.h"
#include "linear/system_files.h"
#include "results/system_reference.h"
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

// The references of one system of n unknowns, timed on a diagonally
// dominant system of min(n, kReferenceSample) unknowns (about a tenth of a
// second) and scaled by the cube of the ratio: their cost grows as n^3,
// a little more slowly below about 500 unknowns, so larger systems are
// overestimated by up to about three quarters.
constexpr unsigned kReferenceSample = 200;

double referenceSeconds(unsigned n) {
  if (n == 0 || n > kMaxCertifiedSize) return 0.0;
  const unsigned m = std::min(n, kReferenceSample);
  std::mt19937_64 random(m);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::vector<double> matrix(static_cast<std::size_t>(m) * m);
  for (std::size_t k = 0; k < matrix.size(); ++k) {
    matrix[k] = k % (m + 1) == 0 ? m : unit(random);
  }
  ReferenceRequest request;
  std::vector<EntryMoments> moments;
  for (unsigned j = 0; j < m; ++j) {
    const double b = unit(random);
    request.rhs.push_back(b);
    request.intervalRhs.push_back({b - 0.01, b + 0.01});
    moments.push_back(boundedEntryMoments(b - 0.01, b + 0.01, 12));
  }
  request.momentSets.assign(kFamilies.size(), moments);
  const Clock::time_point start = Clock::now();
  CertifiedInverseResult inverse = CertifiedInverse::compute(m, matrix, {});
  if (!inverse.inverse) return 0.0;
  computeCertifiedReference(*inverse.inverse, request, LastResort::kNever, {});
  const double ratio = static_cast<double>(n) / m;
  return secondsSince(start) * ratio * ratio * ratio;
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
    costs.secondsPerReference = referenceSeconds(n);
    return costs;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace linprob
