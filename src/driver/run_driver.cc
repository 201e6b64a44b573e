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
#include "driver/calibration.h"
#include "driver/exit_status.h"
#include "driver/kept_files.h"
#include "driver/numeric_check.h"
#include "driver/phase_settings.h"
#include "driver/progress_display.h"
#include "driver/run_plan.h"
#include "driver/run_report.h"
#include "driver/run_share.h"
#include "driver/run_start.h"
#include "driver/settings.h"
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
// `kept`, for the run (--check keeps none).
std::optional<double> estimateRun(const RunSettings& settings,
                                  const RunOptions& options, RunPlan& plan,
                                  std::chrono::steady_clock::time_point start,
                                  const std::vector<SystemInputs>& systems,
                                  const std::vector<ModeEliminations>& eliminated,
                                  const std::vector<NumericFigures>& figures,
                                  std::optional<SystemReference>& kept,
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
      settings, options.writeReport, first,
      options.checkOnly ? CalibrationFor::kCheckOnly : CalibrationFor::kRun,
      stop);
  if (!calibration) return std::nullopt;
  RunCosts& costs = calibration->costs;
  costs.elapsedSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  plan.replaysPerJob = costs.replaysPerJob;
  kept = std::move(calibration->firstReference);
  return estimateSeconds(plan, costs);
}

// The run in its working folder. A check of the inputs (--check) writes
// nothing, not even the lock file; a run holds the folder's lock first.
int runChecked(const RunOptions& options,
               std::chrono::steady_clock::time_point start, RunShare& share) {
  // From here on SIGINT, SIGTERM and SIGHUP stop the run through `stop`;
  // every stage looks at it at least every millisecond or so. Made before
  // the lock, so that the lock file is removed whenever the run stops.
  StopSignals signals;
  const std::stop_token stop = signals.token();
  KeptFiles kept;
  FolderLock lock;
  if (!options.checkOnly && share.isRoot()) {
    if (const Status locked = lock.acquire(kLockFile); !locked.ok()) {
      printError(std::string(kLockFile) + ": " + locked.message());
      return exitCode(ExitStatus::kInputError);
    }
  }

  RunSettings settings;
  // The inputs of every system as the check read them (rank 0 only).
  std::vector<SystemInputs> systems;
  std::vector<ModeEliminations> eliminated;
  std::vector<NumericFigures> figures;
  std::optional<std::uint64_t> runSeed;
  if (share.isRoot()) {
    switch (prepareRun(settings, options, systems, eliminated, figures,
                       runSeed, stop)) {
      case RunStart::kReady:
        break;
      case RunStart::kRefused:
        return exitCode(ExitStatus::kInputError);
      case RunStart::kStopped:
        return reportInterrupted(signals.signal(), kept);
    }
    share.announceStart(settings);
  } else {
    std::optional<int> ownThreads;
    if (options.solverThreads) {
      ownThreads = solverThreadsFor(*options.solverThreads);
    }
    if (const auto status = share.awaitStart(settings, ownThreads)) {
      return *status;
    }
  }
  // From the start on, a process that stops waits for no other: those that
  // do not stop are ended at the end (driver/run_share.h).
  if (share.group() != nullptr) share.group()->stopWaitingOn(stop);

  RunPlan plan =
      makeRunPlan(settings, options.writeReport, options.memoryBudget);
  std::optional<SystemReference> firstReference;
  const std::optional<double> estimate =
      share.isRoot()
          ? estimateRun(settings, options, plan, start, systems, eliminated,
                        figures, firstReference, stop)
          : std::nullopt;
  if (stop.stop_requested()) return reportInterrupted(signals.signal(), kept);
  if (options.checkOnly) {
    for (const std::string& warning : checkedConditionWarnings(
             systems, firstReference ? &*firstReference : nullptr)) {
      printError(warning);
    }
    printLine("");
    for (const std::string& line : planLines(plan, estimate)) printLine(line);
    printLine(memoryBudgetLine(plan, options.memoryBudget));
    if (stop.stop_requested()) {
      return reportInterrupted(signals.signal(), kept);
    }
    return exitCode(ExitStatus::kSuccess);
  }
  if (estimate && *estimate > kLongRunSeconds) {
    printError(longRunLine(plan, *estimate));
  }

  std::optional<ProgressDisplay> display;
  if (options.showProgress && share.isRoot()) {
    // Rank 0 replays its share of the run: about a K-th.
    const double processes = options.group ? options.group->size() : 1;
    display.emplace(plan.totalReplays() / processes);
  }

  // A sampling run without --seed draws one seed for the whole run and
  // records it in the report: --seed with that value repeats the run.
  RunOptions used = options;
  if (drawsSamples(pointKindFor(settings)) && !used.seed && share.isRoot()) {
    used.seed = runSeed ? *runSeed : drawSeed();
  }
  // Every process samples from rank 0's seed.
  try {
    used.seed = share.rootSeed(used.seed);
  } catch (const GroupStopped&) {
    return reportInterrupted(signals.signal(), kept);
  }

  ResultStore store(static_cast<int>(settings.Dimensions), settings.MaxMatrix);
  if (firstReference) {
    store.addReference(std::move(*firstReference));
    // The reference holds the first system's inputs now; the check's copy
    // (the matrix alone 32 MB at 2,000 unknowns) is not read again.
    systems.front() = SystemInputs{};
  }
  for (const PivotMode& mode : kPivotModes) {
    printLine("");
    printLine("Pivot mode change to:" + std::to_string(mode.rowPivot) + "," +
              std::to_string(mode.colPivot));
    for (int i = 0; i < settings.MaxMatrix; ++i) {
      if (stop.stop_requested()) {
        return reportInterrupted(signals.signal(), kept);
      }
      SystemInputs* checked =
          share.isRoot() ? &systems[static_cast<std::size_t>(i)] : nullptr;
      std::optional<LinearSystem>* keptElimination =
          static_cast<std::size_t>(i) < eliminated.size()
              ? &eliminated[static_cast<std::size_t>(i)]
                           [static_cast<std::size_t>(mode.index)]
              : nullptr;
      switch (runSystem(settings, i, mode, used,
                        display ? &*display : nullptr, stop, checked, store,
                        keptElimination)) {
        case SystemOutcome::kWritten:
          ++kept.summaries;
          break;
        case SystemOutcome::kFailed:
          display.reset();
          return exitCode(ExitStatus::kComputeError);
        case SystemOutcome::kStopped:
          return reportInterrupted(signals.signal(), kept);
      }
    }
  }

  // Every phase is done: from here on nobody waits for anybody.
  share.phasesDone();
  if (stop.stop_requested()) return reportInterrupted(signals.signal(), kept);
  if (!share.isRoot()) return exitCode(ExitStatus::kSuccess);
  const std::string directory =
      drawsSamples(pointKindFor(settings)) ? "ExportApprox/" : "Export/";
  // The export runs on the solver threads' count: the phases are done.
  const CsvExport exported =
      exportCsv(store, directory, stop,
                static_cast<unsigned>(std::max(settings.SolverThreadCount, 1)));
  kept.csv = exported.written;
  for (const std::string& failure : exported.failures) printError(failure);
  if (exported.leftover) printError(*exported.leftover);
  if (exported.stopped) return reportInterrupted(signals.signal(), kept);

  ReportWritten report;
  if (options.writeReport) {
    const std::chrono::duration<double> wallTime =
        std::chrono::steady_clock::now() - start;
    kept.report = 0;
    report = writeRunReport(settings, directory, wallTime.count(), used.seed,
                            store, stop);
    kept.report = report.written;
  }
  for (const std::string& failure : report.failures) printError(failure);
  if (report.stopped) return reportInterrupted(signals.signal(), kept);
  // The last line names the page, once it is in place.
  if (report.pageWritten) {
    printLine("Report: " + std::string(kReportFolder) + kReportPage);
  }
  // A stop after the last file still ends the run as a stop.
  if (stop.stop_requested()) return reportInterrupted(signals.signal(), kept);
  return exitCode(exported.failures.empty() && report.failures.empty()
                      ? ExitStatus::kSuccess
                      : ExitStatus::kExportError);
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
  RunShare share(options.group);
  RunOptions shared = options;
  shared.group = share.group();
  return share.end([&] {
    // Only rank 0 reads and writes the working folder.
    if (share.isRoot() && !enterWorkDir(shared)) {
      return exitCode(ExitStatus::kUsage);
    }
    showJobLines(!shared.quiet);
    // Whatever escapes the run (memory for the result store, say) ends it
    // with a message, never with an abort.
    try {
      return withStandardOutput(runChecked(shared, start, share));
    } catch (const std::exception& error) {
      printError(std::string("linprob: ") + error.what());
      return withStandardOutput(exitCode(ExitStatus::kComputeError));
    }
  }());
}

}  // namespace linprob
