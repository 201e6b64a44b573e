#include "driver/run_driver.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "base/console.h"
#include "driver/distribution_phase.h"
#include "driver/input_check.h"
#include "driver/run_report.h"
#include "driver/settings.h"
#include "driver/system_inputs.h"
#include "linear/interval.h"
#include "linear/linear_system.h"
#include "linear/pivot_mode.h"
#include "linear/step_replay.h"
#include "linear/system_files.h"
#include "output/csv_export.h"
#include "output/summary_file.h"
#include "results/position_measures.h"
#include "results/result_store.h"
#include "results/solution_measures.h"
#include "results/system_result.h"

namespace linprob {
namespace {

constexpr int kExitInputError = 1;
constexpr int kExitComputeError = 2;
constexpr int kExitExportError = 3;

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

// Reads the settings and checks every input of the run. Returns false when
// the run cannot start; every problem has then been reported.
bool prepareRun(RunSettings& settings) {
  const SettingsReadResult read = readSettings("Settings.txt", settings);
  if (!read.fileFound) {
    // No line end: the first line end of the mode loop closes this line.
    std::cout << "No Settings.txt file found. Using defaults" << std::flush;
  } else if (!read.keptDefaults.empty()) {
    printLine("Settings.txt ended early or held a malformed value; "
              "these options keep their defaults: " +
              joined(read.keptDefaults));
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
// one pivoting mode, each measured against the system's references.
SystemResult analyseSystem(const RunSettings& settings, int i,
                           const PivotMode& mode,
                           const SystemReference& reference) {
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
  result.pivotGrowth = system.pivotGrowth;
  throwIfProblem(subFolder + "RealRHS.txt",
                 loadRealRhs(subFolder + "RealRHS.txt", n, result.exact));
  replaySteps(result.exact, system.steps);
  throwIfProblem(subFolder + "IntRHS.txt",
                 loadIntervalRhs(subFolder + "IntRHS.txt", n, result.interval));
  replaySteps(result.interval, system.steps);
  result.measures =
      measureSolution(result.exact, result.interval, result.columnOrder,
                      reference.exact ? &*reference.exact : nullptr);

  const PhaseContext context{settings, system, subFolder, i, mode};
  for (const FamilyInfo& family : kFamilies) {
    // Measured at once: that releases the phase's fine histograms.
    PhaseResult phase = runDistributionPhase(family, context);
    measurePhase(phase, reference);
    result.phases.push_back(std::move(phase));
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

}  // namespace

int runProgram() {
  const auto start = std::chrono::steady_clock::now();
  RunSettings settings;
  if (!prepareRun(settings)) return kExitInputError;

  ResultStore store(static_cast<int>(settings.Dimensions), settings.MaxMatrix);
  for (const PivotMode& mode : kPivotModes) {
    printLine("");
    printLine("Pivot mode change to:" + std::to_string(mode.rowPivot) + "," +
              std::to_string(mode.colPivot));
    for (int i = 0; i < settings.MaxMatrix; ++i) {
      try {
        // A system's references do not depend on the mode: the first mode
        // computes them, the others reuse them.
        if (store.reference(i) == nullptr) {
          store.addReference(makeSystemReference(readSystemInputs(settings, i)));
        }
        const SystemResult result =
            analyseSystem(settings, i, mode, *store.reference(i));
        writeSummaryFile(result);
        store.add(result);
      } catch (const std::exception& error) {
        std::ostringstream message;
        message << "Matrix" << i << " under pivoting mode " << mode.index
                << " (" << mode.plainName << "): " << error.what();
        printError(message.str());
        return kExitComputeError;
      }
    }
  }

  const std::string directory =
      settings.ExactDistributions ? "Export/" : "ExportApprox/";
  const std::vector<std::string> failures = exportCsv(store, directory);
  for (const std::string& failure : failures) printError(failure);

  const std::chrono::duration<double> wallTime =
      std::chrono::steady_clock::now() - start;
  const std::vector<std::string> reportFailures =
      writeRunReport(settings, directory, wallTime.count(), store);
  for (const std::string& failure : reportFailures) printError(failure);
  return failures.empty() && reportFailures.empty() ? 0 : kExitExportError;
}

}  // namespace linprob
