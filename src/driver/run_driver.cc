#include "driver/run_driver.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "base/console.h"
#include "base/folder_lock.h"
#include "base/input_file.h"
#include "base/output_file.h"
#include "base/process_group.h"
#include "base/stop_signals.h"
#include "cost/calibration.h"
#include "driver/exit_status.h"
#include "driver/completed_files.h"
#include "check/numeric_check.h"
#include "driver/progress_display.h"
#include "cost/run_plan.h"
#include "config/run_report.h"
#include "driver/run_ranks.h"
#include "driver/run_start.h"
#include "config/run_config.h"
#include "config/settings.h"
#include "driver/system_run.h"
#include "distributions/phase_seed.h"
#include "linear/pivot_mode.h"
#include "output/csv_export.h"
#include "output/report_folder.h"
#include "results/result_store.h"
#include "solve/phase_solver.h"

namespace linprob {
namespace {

// The lock file that keeps a second run out of the working folder.
constexpr const char* kLockFile = ".linprob.lock";

// Enters the working folder of the options; false (reported) when it
// cannot.
bool enterWorkDir(const RunOptions& options) {
  if (options.workDir.empty()) return true;
  if (::chdir(options.workDir.c_str()) == 0) return true;
  printError("linprob: cannot work in " +
             quotedToken(options.workDir, false, kQuotedPathBytes) + ": " +
             std::strerror(errno));
  return false;
}

// The estimate of the whole run's time, from the time spent since `start`
// and a calibration on this machine; none when it could not be made or was
// stopped. The calibration's replays per job go into the plan, for the
// progress display, and the first system's references it computed into
// `firstReference`, for the run (--check keeps none).
std::optional<double> estimateRun(const RunConfig& config,
                                  const RunOptions& options, RunPlan& plan,
                                  std::chrono::steady_clock::time_point start,
                                  const std::vector<SystemInputs>& systems,
                                  const std::vector<ModeEliminations>& eliminated,
                                  const std::vector<NumericFigures>& figures,
                                  std::optional<SystemReference>& firstReference,
                                  const std::stop_token& stop) {
  if (systems.empty()) return std::nullopt;
  FirstSystemCheck first;
  first.inputs = &systems[0];
  if (!eliminated.empty() && eliminated[0][0]) {
    first.eliminated = &*eliminated[0][0];
    first.everyModeKept = std::all_of(
        eliminated[0].begin(), eliminated[0].end(),
        [](const std::optional<LinearSystem>& mode) { return mode.has_value(); });
  }
  if (!figures.empty()) {
    first.eliminationSeconds = figures[0].eliminationSeconds;
    first.condition = figures[0].condition;
  }
  std::optional<Calibration> calibration = calibrate(
      config, first,
      options.checkOnly ? CalibrationFor::kCheckOnly : CalibrationFor::kRun,
      stop);
  if (!calibration) return std::nullopt;
  RunCosts& costs = calibration->costs;
  costs.elapsedSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  plan.replaysPerJob = costs.replaysPerJob;
  firstReference = std::move(calibration->firstReference);
  return estimateSeconds(plan, costs);
}

// What a run carries from its start through the loop to the export. Made
// before the lock, so that the lock file is removed whenever the run stops.
struct RunState {
  // From here on SIGINT, SIGTERM and SIGHUP stop the run through `stop`;
  // every stage looks at it at least every millisecond or so.
  StopSignals signals;
  std::stop_token stop = signals.token();
  CompletedFiles completed;
  FolderLock lock;
  RunConfig config;
  // The options as used: a sampling run's seed, drawn or given, filled in.
  RunOptions used;
  // The inputs of every system as the check read them (rank 0 only), what
  // the check kept of their eliminations, and what it measured of them.
  std::vector<SystemInputs> systems;
  std::vector<ModeEliminations> eliminated;
  std::vector<NumericFigures> figures;
  std::optional<SystemReference> firstReference;
  std::optional<ProgressDisplay> display;

  int interrupted() const { return reportInterrupted(signals.signal(), completed); }
};

// The start: the lock, the settings and the check of every input (rank 0;
// the other processes wait for its settings), the plan and its estimate,
// and the seed every process samples from. A status when the run ends here:
// refused, stopped, or --check done.
std::optional<int> startRun(RunState& run, const RunOptions& options,
                            std::chrono::steady_clock::time_point start,
                            RunRanks& ranks) {
  run.completed.inFolder = options.writesFolder();
  if (!options.checkOnly && options.writesFolder() && ranks.isRoot()) {
    if (const Status locked = run.lock.acquire(kLockFile); !locked.ok()) {
      printError(std::string(kLockFile) + ": " + locked.message());
      return exitCode(ExitStatus::kInputError);
    }
  }
  std::optional<std::uint64_t> runSeed;
  if (ranks.isRoot()) {
    switch (prepareRun(run.config, options, run.systems, run.eliminated,
                       run.figures, runSeed, run.stop)) {
      case RunStart::kReady:
        break;
      case RunStart::kRefused:
        return exitCode(ExitStatus::kInputError);
      case RunStart::kStopped:
        return run.interrupted();
    }
    ranks.announceStart(run.config.settings());
  } else {
    std::optional<int> ownThreads;
    if (options.solverThreads) {
      ownThreads = solverThreadsFor(*options.solverThreads);
    }
    RunSettings settings;
    if (const auto status = ranks.awaitStart(settings, ownThreads)) {
      return *status;
    }
    run.config = RunConfig(settings, options.report, options.memoryBudget,
                       options.summaries,
                       options.given ? options.given->modes : ModeSet().set());
  }
  // From the start on, a process that stops waits for no other: those that
  // do not stop are ended at the end (driver/run_ranks.h).
  if (ranks.group() != nullptr) ranks.group()->stopWaitingOn(run.stop);

  RunPlan plan = makeRunPlan(run.config);
  const std::optional<double> estimate =
      ranks.isRoot()
          ? estimateRun(run.config, options, plan, start, run.systems,
                        run.eliminated, run.figures, run.firstReference,
                        run.stop)
          : std::nullopt;
  if (run.stop.stop_requested()) return run.interrupted();
  if (options.checkOnly) {
    for (const std::string& warning : checkedConditionWarnings(
             run.systems,
             run.firstReference ? &*run.firstReference : nullptr)) {
      printError(warning);
    }
    printLine("");
    for (const std::string& line : planLines(plan, estimate)) printLine(line);
    printLine(memoryBudgetLine(plan, options.memoryBudget));
    if (run.stop.stop_requested()) return run.interrupted();
    return exitCode(ExitStatus::kSuccess);
  }
  if (estimate && *estimate > kLongRunSeconds) {
    printError(longRunLine(plan, *estimate));
  }
  if (options.showProgress && ranks.isRoot()) {
    // Rank 0 replays its part of the run: about a K-th.
    const double processes = options.group ? options.group->size() : 1;
    run.display.emplace(plan.totalReplays() / processes);
  }

  // A sampling run without --seed draws one seed for the whole run and
  // records it in the report: --seed with that value repeats the run.
  run.used = options;
  if (drawsSamples(run.config.points()) && !run.used.seed && ranks.isRoot()) {
    run.used.seed = runSeed ? *runSeed : drawSeed();
  }
  // Every process samples from rank 0's seed.
  try {
    run.used.seed = ranks.rootSeed(run.used.seed);
  } catch (const GroupStopped&) {
    return run.interrupted();
  }
  return std::nullopt;
}

// Every pivoting mode (outer loop) and every system (inner loop) into the
// store: a status when the run ends in the loop.
std::optional<int> runModes(RunState& run, RunRanks& ranks,
                            ResultStore& store) {
  if (run.firstReference) {
    store.addReference(std::move(*run.firstReference));
    // The reference holds the first system's inputs now; the check's copy
    // (the matrix alone 32 MB at 2,000 unknowns) is not read again.
    run.systems.front() = SystemInputs{};
  }
  for (const PivotMode& mode : kPivotModes) {
    if (!run.config.runs(mode)) continue;
    printLine("");
    printLine("Pivot mode change to:" + std::to_string(mode.rowPivot) + "," +
              std::to_string(mode.colPivot));
    for (int i = 0; i < run.config.settings().MaxMatrix; ++i) {
      if (run.stop.stop_requested()) return run.interrupted();
      const auto system = static_cast<std::size_t>(i);
      SystemInputs* checked = ranks.isRoot() ? &run.systems[system] : nullptr;
      std::optional<LinearSystem>* checkedElimination =
          system < run.eliminated.size()
              ? &run.eliminated[system][static_cast<std::size_t>(mode.index)]
              : nullptr;
      switch (runSystem(run.config, i, mode, run.used,
                        run.display ? &*run.display : nullptr, run.stop,
                        checked, store, checkedElimination)) {
        case SystemOutcome::kWritten:
          if (run.config.writesSummaries()) ++run.completed.summaries;
          if (run.used.systemsDone != nullptr) ++*run.used.systemsDone;
          break;
        case SystemOutcome::kFailed:
          run.display.reset();
          return exitCode(ExitStatus::kComputeError);
        case SystemOutcome::kStopped:
          return run.interrupted();
      }
    }
  }
  return std::nullopt;
}

// The end, on rank 0: the CSV export and the report; the run's status.
int exportRun(RunState& run, const ResultStore& store,
              std::chrono::steady_clock::time_point start) {
  const RunSettings& settings = run.config.settings();
  const std::string directory = run.config.exportFolder();
  // The export runs on the solver threads' count: the phases are done.
  CsvExport exported;
  if (run.config.writesSummaries()) {
    exported = exportCsv(
        store, directory, run.stop,
        static_cast<unsigned>(std::max(settings.SolverThreadCount, 1)));
  }
  run.completed.csv = exported.written;
  for (const std::string& failure : exported.failures) printError(failure);
  if (exported.leftover) printError(*exported.leftover);
  if (exported.stopped) return run.interrupted();

  ReportWritten report;
  if (run.config.writesReport()) {
    const std::chrono::duration<double> wallTime =
        std::chrono::steady_clock::now() - start;
    run.completed.report = 0;
    report = writeRunReport(run.config, wallTime.count(), run.used.seed,
                            store, run.stop, run.used.reportBytes);
    run.completed.report = report.written;
  }
  for (const std::string& failure : report.failures) printError(failure);
  if (report.stopped) return run.interrupted();
  // The last line names the page, once it is in place.
  if (report.pageWritten && run.used.reportBytes == nullptr) {
    printLine("Report: " + std::string(kReportFolder) + kReportPage);
  }
  // A stop after the last file still ends the run as a stop.
  if (run.stop.stop_requested()) return run.interrupted();
  return exitCode(exported.failures.empty() && report.failures.empty()
                      ? ExitStatus::kSuccess
                      : ExitStatus::kExportError);
}

// The run in its working folder: its start, the loop over modes and
// systems, and the export. A check of the inputs (--check) writes nothing,
// not even the lock file; a run holds the folder's lock first.
int runChecked(const RunOptions& options,
               std::chrono::steady_clock::time_point start, RunRanks& ranks) {
  RunState run;
  if (const auto status = startRun(run, options, start, ranks)) {
    return *status;
  }
  ResultStore store(static_cast<int>(run.config.settings().Dimensions),
                    run.config.settings().MaxMatrix);
  if (const auto status = runModes(run, ranks, store)) return *status;
  // Every phase is done: from here on nobody waits for anybody.
  ranks.phasesDone();
  if (run.stop.stop_requested()) return run.interrupted();
  if (!ranks.isRoot()) return exitCode(ExitStatus::kSuccess);
  return exportRun(run, store, start);
}

// The exit status once standard output is looked at: a run that could not
// write it has failed to write an output (reported once, here), unless it
// ended worse already.
int withStandardOutput(int status) {
  const Status output = standardOutputStatus();
  if (output.ok()) return status;
  printError("standard output: " + output.message() +
             "; the run went on without it");
  return status == exitCode(ExitStatus::kSuccess)
             ? exitCode(ExitStatus::kExportError)
             : status;
}

}  // namespace

int runProgram(const RunOptions& options) {
  const auto start = std::chrono::steady_clock::now();
  RunRanks ranks(options.group);
  RunOptions shared = options;
  shared.group = ranks.group();
  return ranks.end([&] {
    // Only rank 0 reads and writes the working folder.
    if (ranks.isRoot() && !enterWorkDir(shared)) {
      return exitCode(ExitStatus::kUsage);
    }
    showJobLines(!shared.quiet);
    // Whatever escapes the run (memory for the result store, say) ends it
    // with a message, never with an abort.
    try {
      return withStandardOutput(runChecked(shared, start, ranks));
    } catch (const std::exception& error) {
      printError(std::string("linprob: ") + error.what());
      return withStandardOutput(exitCode(ExitStatus::kComputeError));
    }
  }());
}

}  // namespace linprob
