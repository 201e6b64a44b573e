#include "cost/calibration.h"

#include <sched.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <exception>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/console.h"
#include "base/elapsed_seconds.h"
#include "base/thread_group.h"
#include "distributions/family.h"
#include "distributions/point_kinds.h"
#include "cost/reference_timing.h"
#include "cost/search_timing.h"
#include "config/system_inputs.h"
#include "cost/truth_timing.h"
#include "cost/writer_timing.h"
#include "linear/linear_system.h"
#include "linear/pivot_mode.h"
#include "results/system_reference.h"
#include "solve/extreme_search.h"
#include "solve/phase_solver.h"

namespace linprob {
namespace {

using Clock = std::chrono::steady_clock;

// A calibration phase of about a million jobs (two million replays) takes
// some tens of milliseconds; one that cannot be made that small is cut off
// after kSliceSeconds of replays, and the watch looks every kWatchInterval.
constexpr std::uint64_t kCalibrationJobs = std::uint64_t{1} << 20;
constexpr double kSliceSeconds = 0.1;
constexpr std::chrono::milliseconds kWatchInterval{1};
// Sampling copies: the first size, the replay time below which a larger
// copy is timed, how much larger at most, and what it aims at.
constexpr int kFirstSamples = 64;
constexpr double kMostGrowth = 256.0;
constexpr double kEnoughReplaySeconds = 0.03;
constexpr double kTargetReplaySeconds = 0.06;
constexpr double kLeastReplayShare = 0.25;

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

// One timed phase: its seconds, the replays it made (both passes), its jobs
// and replays had it run whole, and its chunks.
struct PhaseTiming {
  double seconds = 0.0;
  std::uint64_t done = 0;
  std::uint64_t jobs = 0;
  std::uint64_t total = 0;
  std::size_t chunks = 1;
  bool whole = true;
};

// Solves `source` whole on `threads` solver threads; with `slice` above 0,
// stops it once that many seconds have passed after the setup `setup`.
PhaseTiming timePhase(const JobSource& source, const LinearSystem& system,
                      const RunConfig& config, int threads,
                      const std::stop_token& stop, double slice = 0.0,
                      double setup = 0.0) {
  PhaseProgress progress;
  std::stop_source stopPhase;
  const std::stop_callback stopRun(stop, [&] { stopPhase.request_stop(); });
  SolveOptions options = config.solveOptions();
  options.solverThreads = threads;
  options.stop = stopPhase.get_token();
  options.progress = &progress;
  // As the run counts them: with moments and fine histograms.
  options.references.assign(system.size(), 0.0);
  // The cost of a replay, whatever the phases themselves count by.
  options.counting = CountingChoice::kReplay;

  PhaseTiming timing;
  timing.chunks = source.chunkPlan().chunks;
  const Clock::time_point start = Clock::now();
  {
    ThreadGroup watcher;
    if (slice > 0.0) {
      watcher.start([&](const std::stop_token& own) {
        while (!own.stop_requested()) {
          if (secondsSince(start) >= setup + slice) {
            stopPhase.request_stop();
            return;
          }
          std::this_thread::sleep_for(kWatchInterval);
        }
      });
    }
    try {
      solvePhase(source, system, options);
    } catch (const PhaseStopped&) {
      timing.whole = false;
    }
    watcher.requestStop();
    watcher.join();
  }
  // A stop of the run ends the calibration (calibrate() catches it).
  if (stop.stop_requested()) throw PhaseStopped{};
  timing.seconds = secondsSince(start);
  timing.done = progress.done.load(std::memory_order_relaxed);
  timing.jobs = progress.jobs.load(std::memory_order_relaxed);
  timing.total = progress.total.load(std::memory_order_relaxed);
  return timing;
}

// The first family's jobs of Matrix0 (its parameters in `numbers`), the
// run's kind of points with `count` cells or samples (a fixed seed: the
// calibration draws nothing from the random source).
std::unique_ptr<JobSource> firstPhaseJobs(const RunConfig& config,
                                          const std::vector<double>& numbers,
                                          int count) {
  SourceRequest request = requestFor(
      config, kFamilies[0],
      entryParameters(kFamilies[0], numbers, config.settings().Dimensions));
  request.count = count;
  return makeJobSource(request);
}

// The shorter of two timings of `jobs` solved whole: the first phase of a
// process also pays for memory the later ones reuse.
double shorterOfTwo(const JobSource& jobs, const LinearSystem& system,
                    const RunConfig& config, int threads,
                    const std::stop_token& stop) {
  const double first = timePhase(jobs, system, config, threads, stop).seconds;
  return std::min(first,
                  timePhase(jobs, system, config, threads, stop).seconds);
}

// A phase's setup with the run's threads: one job (one cell, or one
// sample), solved whole, and, where the run's enumeration phases search
// their extremes, that search; see calibration.h for large enumerations.
double phaseSetup(const RunConfig& config, const LinearSystem& system,
                  const std::vector<double>& pairs, int threads, const std::stop_token& stop) {
  const unsigned n = config.settings().Dimensions;
  const auto one = firstPhaseJobs(config, pairs, 1);
  const double setup = shorterOfTwo(*one, system, config, threads, stop);
  if (drawsSamples(config.points()) ||
      !searchMayApply(config.jobsPerPhase(), n)) {
    return setup;
  }
  if (n > kDirectSetupUnknowns) {
    const double phases =
        static_cast<double>(
            makeRunPlan(RunConfig(config.settings(), ReportChoice::kSkipped))
                .phases());
    return setup + extrapolatedSearch(n, phases, stop);
  }
  return setup + searchSeconds(*one, system, stop);
}

// Sets costs.secondsPerReplay (one thread) and costs.replaysPerJob from a
// phase of this run's kind solved on `threads` threads, whose setup takes
// `setup` seconds.
void timeReplays(const RunConfig& config, const LinearSystem& system,
                 const std::vector<double>& pairs, int threads, double setup, RunCosts& costs,
                 const std::stop_token& stop) {
  // A phase solved whole is timed twice and the faster kept: a burst of
  // other work on the machine slows one of them.
  const auto fasterOfTwo = [&](const JobSource& jobs) {
    const PhaseTiming first = timePhase(jobs, system, config, threads, stop);
    const PhaseTiming second = timePhase(jobs, system, config, threads, stop);
    return second.seconds < first.seconds ? second : first;
  };
  PhaseTiming timing;
  const int count = config.phaseCount();
  if (!drawsSamples(config.points())) {
    const int fewer = calibrationCells(count, config.settings().Dimensions);
    if (fewer >= 2 || count == 1) {
      timing = fasterOfTwo(*firstPhaseJobs(config, pairs, fewer));
    } else {
      // Too many unknowns for even two cells: a slice of the phase.
      timing = timePhase(*firstPhaseJobs(config, pairs, count), system,
                         config, threads, stop, kSliceSeconds, setup);
    }
  } else {
    // Larger copies until the replays take long enough to be timed.
    int samples = std::min(count, kFirstSamples);
    for (int round = 0;; ++round) {
      const auto jobs = firstPhaseJobs(config, pairs, samples);
      timing = timePhase(*jobs, system, config, threads, stop);
      const double replaying = timing.seconds - setup;
      if (replaying >= kEnoughReplaySeconds || round == 3 ||
          samples >= count ||
          static_cast<std::uint64_t>(samples) >= kCalibrationJobs) {
        const PhaseTiming again =
            timePhase(*jobs, system, config, threads, stop);
        if (again.seconds < timing.seconds) timing = again;
        break;
      }
      // The setup is timed apart and varies by some milliseconds: a copy
      // that took no longer than it still replayed for a part of its time.
      // Taking at least a quarter keeps a noisy setup from growing the next
      // copy to a whole phase (at 1,000 unknowns that timed 10,000 samples
      // twice, a tenth of the run, to learn what 700 tell).
      const double factor = std::min(
          kMostGrowth,
          kTargetReplaySeconds /
              std::max({replaying, kLeastReplayShare * timing.seconds, 1e-4}));
      samples = static_cast<int>(std::min<double>(
          {static_cast<double>(count), samples * factor,
           static_cast<double>(kCalibrationJobs)}));
    }
  }
  if (timing.done == 0) return;
  // The setup off, but never more than four fifths of the phase.
  const double replaying =
      std::max(timing.seconds - setup, 0.2 * timing.seconds);
  const double parallel =
      timing.whole
          ? phaseSpeedUp(timing.chunks, threads, costs.hardwareThreads)
          : std::max(1.0, std::min<double>(
                              {static_cast<double>(threads),
                               static_cast<double>(costs.hardwareThreads),
                               static_cast<double>(timing.chunks)}));
  costs.secondsPerReplay =
      replaying * parallel / static_cast<double>(timing.done);
  if (timing.jobs > 0) {
    costs.replaysPerJob = static_cast<double>(timing.total) /
                          static_cast<double>(timing.jobs);
  }
}

}  // namespace

unsigned hardwareThreads() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return static_cast<unsigned>(count);
  }
  return std::max(std::thread::hardware_concurrency(), 1u);
}

std::optional<Calibration> calibrate(const RunConfig& config,
                                     const FirstSystemCheck& first,
                                     CalibrationFor use,
                                     const std::stop_token& stop) {
  const RunSettings& settings = config.settings();
  const HiddenJobLines hidden;
  try {
    const unsigned n = settings.Dimensions;
    Calibration calibration;
    RunCosts& costs = calibration.costs;
    costs.hardwareThreads = hardwareThreads();

    // A run keeps the first system's references; --check estimates them
    // and keeps the inputs alone, which is all the stages below read.
    Clock::time_point start = Clock::now();
    SystemInputs inputs = *first.inputs;
    addCells(config, inputs);
    if (use == CalibrationFor::kRun) {
      calibration.firstReference = makeSystemReference(
          std::move(inputs), stop, config.referenceNeed());
      costs.secondsPerReference = secondsSince(start);
      costs.referencesKept = 1;
    } else {
      calibration.firstReference = makeSystemReference(
          std::move(inputs), stop, ReferenceNeed::kInputsOnly);
      const std::optional<double> seconds = referenceSecondsPerSystem(
          config, *first.inputs, first.condition, stop);
      if (!seconds) return std::nullopt;
      costs.secondsPerReference = *seconds;
    }
    const SystemReference& reference = *calibration.firstReference;
    const std::vector<double>& pairs =
        reference.parametersOf(kFamilies[0].parameterKind);

    std::optional<LinearSystem> own;
    if (first.eliminated == nullptr) {
      own.emplace(LinearSystem::fromRows(n, reference.matrix));
      start = Clock::now();
      own->eliminate(kPivotModes[0], stop);
      if (stop.stop_requested()) return std::nullopt;
      costs.secondsPerElimination = secondsSince(start);
    }
    if (first.everyModeKept) {
      costs.secondsPerElimination = 0.0;
    } else if (first.eliminationSeconds > 0.0) {
      costs.secondsPerElimination = first.eliminationSeconds;
    }
    const LinearSystem& system = own ? *own : *first.eliminated;

    const int threads = std::max(settings.SolverThreadCount, 1);
    costs.phaseSetupSeconds = phaseSetup(config, system, pairs, threads, stop);
    if (config.jobsPerPhase() > 1) {
      // Replays are timed on the run's threads: threads beyond the ones
      // that can run at once share the cores and still cost their turns
      // and their merges (16 threads on 2 cores took the bundled example
      // 1.7 times as long as 2).
      timeReplays(config, system, pairs, threads, costs.phaseSetupSeconds,
                  costs, stop);
    }
    if (stop.stop_requested()) return std::nullopt;
    costs.writerSecondsPerSystem =
        writerSecondsPerSystem(config, calibration.firstReference->matrix);
    costs.truthSecondsPerSystem =
        truthSecondsPerSystem(config, costs.hardwareThreads);
    if (stop.stop_requested()) return std::nullopt;
    // --check hands nothing to a run.
    if (use == CalibrationFor::kCheckOnly) calibration.firstReference.reset();
    return calibration;
  } catch (const PhaseStopped&) {
    return std::nullopt;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace linprob
