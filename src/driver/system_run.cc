#include "driver/system_run.h"

#include <exception>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/console.h"
#include "base/output_file.h"
#include "base/process_group.h"
#include "distributions/point_design.h"
#include "distributions/point_kinds.h"
#include "driver/distribution_phase.h"
#include "check/numeric_check.h"
#include "config/system_inputs.h"
#include "linear/interval.h"
#include "linear/interval_replay.h"
#include "linear/linear_system.h"
#include "linear/step_replay.h"
#include "linear/system_files.h"
#include "output/summary_file.h"
#include "results/phase_measures.h"
#include "results/position_measures.h"
#include "results/system_result.h"
#include "results/truth_check.h"
#include "solve/phase_solver.h"

namespace linprob {
namespace {

void printSystemBanner(const RunConfig& config, int i) {
  const RunSettings& settings = config.settings();
  printLine("Matrix index: " + std::to_string(i));
  printLine("Loading a square matrix with " +
            std::to_string(settings.Dimensions) + " variables.");
  std::ostringstream line;
  if (!drawsSamples(config.points())) {
    // An enumeration's count is its cells per entry.
    printLine("Each of them will be represented by " +
              std::to_string(config.phaseCount()) + " instances.");
    // Printed as a double, as it always was ("Expect 6.25e+06 jobs ...");
    // the start-of-run check refused counts beyond 64 bits.
    const double jobs = static_cast<double>(config.jobsPerPhase());
    line << "Expect " << jobs << " jobs per distribution.";
  } else if (settings.digits) {
    // The rounds stop at the first that meets the rule: the last round's
    // samples are the most a phase uses.
    line << "Each RHS distribution will be represented by at most "
         << digitsRounds(config.points(), settings.SampleCount)
                .back()
                .jobCount()
         << " samples (--digits " << *settings.digits << ").";
  } else {
    // Sobol' and Latin hypercube designs round SampleCount up.
    line << "Each RHS distribution will be represented by "
         << config.jobsPerPhase() << " samples.";
  }
  printLine(line.str());
}

// The matrix eliminated under `mode`: the start check's when it kept it
// (the same code on the same matrix, so the same steps bit for bit; the
// slot is emptied), else eliminated here.
LinearSystem eliminatedSystem(unsigned n, const std::vector<double>& matrix,
                              const PivotMode& mode,
                              std::optional<LinearSystem>* kept,
                              const std::stop_token& stop) {
  if (kept != nullptr && *kept) {
    LinearSystem system = std::move(**kept);
    kept->reset();
    return system;
  }
  LinearSystem system = LinearSystem::fromRows(n, matrix);
  system.eliminate(mode, stop);
  return system;
}

// The deterministic pass and the three distribution phases of system i under
// one pivoting mode, each measured against the system's references and its
// continuous truth (on the phase's solver threads; with a report only).
SystemResult analyseSystem(const RunConfig& config, int i,
                           const PivotMode& mode, const RunOptions& options,
                           ProgressDisplay* display,
                           const SystemReference& reference,
                           std::optional<LinearSystem>* eliminated,
                           const std::stop_token& stop) {
  const RunSettings& settings = config.settings();
  printSystemBanner(config, i);
  const unsigned n = settings.Dimensions;
  LinearSystem system =
      eliminatedSystem(n, reference.matrix, mode, eliminated, stop);
  if (stop.stop_requested()) throw PhaseStopped{};

  SystemResult result;
  result.system = i;
  result.mode = mode;
  result.columnOrder = system.columnOrder();
  result.pivotGrowth = system.pivotGrowth();
  // The point: the recorded steps in their order, each product and sum
  // rounded to nearest.
  result.plainReplay = reference.rhs;
  replaySteps(result.plainReplay, system.steps());
  result.plainReplayBounds.reserve(n);
  for (const double b : reference.rhs) result.plainReplayBounds.push_back(Interval(b));
  // The same bits as the interval type's own replay, with the rounding mode
  // set once (linear/interval_replay.h).
  replayIntervals(result.plainReplayBounds, system.steps());
  // The start-of-run check refused a pair whose lower bound is above its
  // upper bound.
  result.interval.reserve(n);
  for (const ValueBounds& bounds : reference.intervalRhs) {
    result.interval.push_back(Interval(bounds.lower, bounds.upper));
  }
  replayIntervals(result.interval, system.steps());

  // Moments about the plain solution keep the sums small, and its value
  // lies inside [Min, Max] whenever the right-hand side's does; the ends of
  // its interval replay may lie far outside.
  const PhaseContext context{config,  system, reference,          i,
                             mode,    options.seed, display,    stop,
                             result.plainReplay, options.group};
  for (const FamilyInfo& family : kFamilies) {
    if (!reference.runs(family.family)) continue;
    // Measured at once: that releases the phase's fine histograms.
    PhaseResult phase = runDistributionPhase(family, context);
    measurePhase(phase, reference, stop,
                 static_cast<unsigned>(settings.SolverThreadCount));
    // The truth is only written in the report.
    if (config.writesReport()) {
      checkPhaseAgainstTruth(phase, reference,
                             static_cast<unsigned>(settings.SolverThreadCount),
                             stop);
    }
    if (stop.stop_requested()) throw PhaseStopped{};
    result.phases.push_back(std::move(phase));
  }
  return result;
}

// The system's summary file under its mode, rendered from its result under
// a temporary name and renamed into place. Ok, or the failure naming the
// file and the system's reason.
Status writeSummaryFile(const SystemResult& result,
                        const std::stop_token& stop) {
  const std::string path = systemFolder(result.system) + result.mode.summaryFile;
  return writeOutputFile(
             path, [&](std::ostream& out) { writeSummary(result, out); }, stop)
      .prefixed(path + ": ");
}

}  // namespace

SystemOutcome runSystem(const RunConfig& config, int i,
                        const PivotMode& mode, const RunOptions& options,
                        ProgressDisplay* display, const std::stop_token& stop,
                        SystemInputs* checked, ResultStore& store,
                        std::optional<LinearSystem>* eliminated) {
  std::ostringstream label;
  label << "Matrix" << i << " under pivoting mode " << mode.index << " ("
        << mode.plainName << "): ";
  try {
    // A system's inputs and references do not depend on the mode: the
    // first mode computes the references, the others reuse them.
    const SystemReference* kept = store.reference(i);
    if (options.group != nullptr && mode.index == config.firstMode().index) {
      // Rank 0 hands the inputs to the others, whether it has kept them
      // from the calibration or has them from the check.
      std::string bytes;
      if (options.group->isRoot()) {
        bytes = kept != nullptr ? toBytes(*kept) : toBytes(*checked);
      }
      SystemInputs inputs =
          broadcastSystemInputs(config, i, *options.group, std::move(bytes));
      if (kept == nullptr) {
        store.addReference(makeSystemReference(
            std::move(inputs), stop, config.referenceNeed()));
      }
    } else if (kept == nullptr) {
      addCells(config, *checked);
      store.addReference(makeSystemReference(
          std::move(*checked), stop, config.referenceNeed()));
    }
    // The verdict was decided with the references; it is told once, at
    // the system's first mode, by the process that prints.
    if (mode.index == config.firstMode().index &&
        (options.group == nullptr || options.group->isRoot())) {
      if (const auto warning =
              conditionWarning(i, store.reference(i)->condition)) {
        printError(*warning);
      }
    }
    const SystemResult result =
        analyseSystem(config, i, mode, options, display,
                      *store.reference(i), eliminated, stop);
    // Nothing that is not a finite number is ever written.
    if (const auto bad = findNonFinite(result)) {
      printError(label.str() + *bad + " is not finite; " + mode.summaryFile +
                 " was not written");
      return SystemOutcome::kFailed;
    }
    // Rank 0 alone writes; the other processes keep the result only.
    const bool writes = config.writesSummaries() &&
                        (options.group == nullptr || options.group->isRoot());
    const Status written = writes ? writeSummaryFile(result, stop) : Status();
    if (!written.ok()) {
      // A file a stop cut short is no failure.
      if (stop.stop_requested()) return SystemOutcome::kStopped;
      printError(written.message());
      return SystemOutcome::kFailed;
    }
    store.add(result);
    return SystemOutcome::kWritten;
  } catch (const PhaseStopped&) {
    return SystemOutcome::kStopped;
  } catch (const GroupStopped&) {
    // The other processes were not waited for: a stop all the same.
    return SystemOutcome::kStopped;
  } catch (const std::exception& error) {
    // A reading that a stop ended is no failure either.
    if (stop.stop_requested()) return SystemOutcome::kStopped;
    printError(label.str() + error.what());
    return SystemOutcome::kFailed;
  }
}

}  // namespace linprob
