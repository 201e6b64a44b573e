#include "driver/run_driver.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "base/console.h"
#include "driver/calibration.h"
#include "driver/distribution_phase.h"
#include "driver/exit_status.h"
#include "driver/input_check.h"
#include "driver/progress_display.h"
#include "driver/run_plan.h"
#include "driver/settings.h"
#include "linear/interval.h"
#include "linear/linear_system.h"
#include "linear/pivot_mode.h"
#include "linear/step_replay.h"
#include "linear/system_files.h"
#include "output/csv_export.h"
#include "output/summary_file.h"
#include "results/result_store.h"
#include "results/system_result.h"

namespace linprob {
namespace {

void printError(const std::string& message) {
  std::cerr << message << std::endl;
}

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    if (!text.empty()) text += ", ";
    text += name;
  }
  return text;
}

// The solver threads -j asks for: 0 means one per hardware thread.
int solverThreadsFor(int requested) {
  if (requested > 0) return requested;
  const unsigned hardware = std::thread::hardware_concurrency();
  return hardware == 0 ? 1 : static_cast<int>(hardware);
}

// Reads the settings, applies the command line's overrides, and checks every
// input of the run. Returns false when the run cannot start; every problem
// has then been reported.
bool prepareRun(RunSettings& settings, const RunOptions& options) {
  const SettingsReadResult read = readSettings("Settings.txt", settings);
  if (!read.fileFound) {
    // No line end: the first line end of the mode loop closes this line.
    std::cout << "No Settings.txt file found. Using defaults" << std::flush;
  } else if (!read.keptDefaults.empty()) {
    printLine("Settings.txt ended early or held a malformed value; "
              "these options keep their defaults: " +
              joined(read.keptDefaults));
  }
  if (options.solverThreads) {
    settings.SolverThreadCount = solverThreadsFor(*options.solverThreads);
  }
  const SettingsCheck check = checkSettings(settings);
  for (const std::string& warning : check.warnings) printError(warning);
  for (const std::string& error : check.errors) printError(error);
  if (!check.errors.empty()) return false;

  // A MaxMatrix far beyond the folders present would otherwise list millions
  // of missing files.
  constexpr std::size_t kMostReported = 100;
  const std::vector<std::string> problems = checkRunInputs(settings);
  for (std::size_t k = 0; k < problems.size() && k < kMostReported; ++k) {
    printError(problems[k]);
  }
  if (problems.size() > kMostReported) {
    printError("... and " + std::to_string(problems.size() - kMostReported) +
               " more problems in the input files");
  }
  return problems.empty();
}

void printSystemBanner(const RunSettings& settings, int i) {
  printLine("Matrix index: " + std::to_string(i));
  printLine("Loading a square matrix with " +
            std::to_string(settings.Dimensions) + " variables.");
  std::ostringstream line;
  if (settings.ExactDistributions) {
    printLine("Each of them will be represented by " +
              std::to_string(settings.IntegrationPrecision) + " instances.");
    const double jobs =
        std::pow(static_cast<double>(settings.IntegrationPrecision),
                 static_cast<double>(settings.Dimensions));
    line << "Expect " << jobs << " jobs per distribution.";
  } else {
    line << "Each RHS distribution will be represented by "
         << settings.SampleCount << " samples.";
  }
  printLine(line.str());
}

void throwIfProblem(const std::string& path, const Status& status) {
  if (!status.ok()) throw std::runtime_error(path + ": " + status.message());
}

// The deterministic pass and the three distribution phases of system i under
// one pivoting mode.
SystemResult analyseSystem(const RunSettings& settings, int i,
                           const PivotMode& mode, const RunOptions& options,
                           ProgressDisplay* display) {
  printSystemBanner(settings, i);
  const std::string subFolder = "Matrix" + std::to_string(i) + "/";
  const unsigned n = settings.Dimensions;
  LinearSystem system(n);
  throwIfProblem(subFolder + "Matice.txt",
                 loadMatrix(subFolder + "Matice.txt", system));
  system.eliminate(mode);

  SystemResult result;
  result.system = i;
  result.mode = mode;
  result.columnOrder = system.columnOrder;
  throwIfProblem(subFolder + "RealRHS.txt",
                 loadRealRhs(subFolder + "RealRHS.txt", n, result.exact));
  replaySteps(result.exact, system.steps);
  throwIfProblem(subFolder + "IntRHS.txt",
                 loadIntervalRhs(subFolder + "IntRHS.txt", n, result.interval));
  replaySteps(result.interval, system.steps);

  const PhaseContext context{settings, system, subFolder, i, mode,
                             options.seed, display};
  for (const FamilyInfo& family : kFamilies) {
    result.phases.push_back(runDistributionPhase(family, context));
  }
  return result;
}

// The system's summary file under its mode, rendered from its result.
void writeSummaryFile(const SystemResult& result) {
  const std::string path = "Matrix" + std::to_string(result.system) + "/" +
                           result.mode.summaryFile;
  std::ofstream out(path);
  if (out.is_open()) writeSummary(result, out);
  out.close();
  if (out.fail()) throw std::runtime_error(path + ": cannot be written");
}

// Enters the working folder of the options; false (reported) when it
// cannot.
bool enterWorkDir(const RunOptions& options) {
  if (options.workDir.empty()) return true;
  if (::chdir(options.workDir.c_str()) == 0) return true;
  printError("linprob: cannot work in " + options.workDir + ": " +
             std::strerror(errno));
  return false;
}

// The estimate of the run time, from a calibration on this machine; none
// when it could not be made.
std::optional<double> estimateRun(const RunSettings& settings,
                                  const RunPlan& plan) {
  const std::optional<RunCosts> costs = calibrate(settings);
  if (!costs) return std::nullopt;
  return estimateSeconds(plan, *costs);
}

}  // namespace

int runProgram(const RunOptions& options) {
  if (!enterWorkDir(options)) return exitCode(ExitStatus::kUsage);
  showJobLines(!options.quiet);
  RunSettings settings;
  if (!prepareRun(settings, options)) return exitCode(ExitStatus::kInputError);

  const RunPlan plan = makeRunPlan(settings);
  const std::optional<double> estimate = estimateRun(settings, plan);
  if (options.checkOnly) {
    printLine("");
    for (const std::string& line : planLines(plan, estimate)) printLine(line);
    return exitCode(ExitStatus::kSuccess);
  }
  if (estimate && *estimate > kLongRunSeconds) {
    printError(longRunLine(plan, *estimate));
  }

  std::optional<ProgressDisplay> display;
  if (options.showProgress) display.emplace(plan.totalReplays());
  ResultStore store(static_cast<int>(settings.Dimensions), settings.MaxMatrix);
  for (const PivotMode& mode : kPivotModes) {
    printLine("");
    printLine("Pivot mode change to:" + std::to_string(mode.rowPivot) + "," +
              std::to_string(mode.colPivot));
    for (int i = 0; i < settings.MaxMatrix; ++i) {
      try {
        const SystemResult result =
            analyseSystem(settings, i, mode, options,
                          display ? &*display : nullptr);
        writeSummaryFile(result);
        store.add(result);
      } catch (const std::exception& error) {
        display.reset();
        std::ostringstream message;
        message << "Matrix" << i << " under pivoting mode " << mode.index
                << " (" << mode.plainName << "): " << error.what();
        printError(message.str());
        return exitCode(ExitStatus::kComputeError);
      }
    }
  }
  display.reset();

  const std::string directory =
      settings.ExactDistributions ? "Export/" : "ExportApprox/";
  const std::vector<std::string> failures = exportCsv(store, directory);
  for (const std::string& failure : failures) printError(failure);
  return exitCode(failures.empty() ? ExitStatus::kSuccess
                                   : ExitStatus::kExportError);
}

}  // namespace linprob
