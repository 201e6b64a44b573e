#include "driver/run_start.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/console.h"
#include "distributions/phase_seed.h"
#include "check/given_check.h"
#include "check/input_check.h"
#include "cost/run_footprint.h"
#include "config/settings.h"
#include "config/system_inputs.h"
#include "check/unused_options.h"

namespace linprob {
namespace {

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    if (!text.empty()) text += ", ";
    text += name;
  }
  return text;
}

}  // namespace

int solverThreadsFor(int requested) {
  if (requested > 0) return requested;
  const unsigned hardware = std::thread::hardware_concurrency();
  return hardware == 0 ? 1 : static_cast<int>(hardware);
}

RunStart prepareRun(RunConfig& config, const RunOptions& options,
                    std::vector<SystemInputs>& systems,
                    std::vector<ModeEliminations>& eliminated,
                    std::vector<NumericFigures>& figures,
                    std::optional<std::uint64_t>& runSeed,
                    const std::stop_token& stop) {
  RunSettings settings;
  // Settings handed over in memory are read as a complete Settings.txt.
  SettingsReadResult read;
  if (options.given) {
    settings = options.given->settings;
    read.fileFound = true;
  } else {
    read = readSettings("Settings.txt", settings);
  }
  if (!read.fileFound) {
    // No line end: the first line end of the mode loop closes this line.
    printText("No Settings.txt file found. Using defaults");
  } else if (!read.unreadOptions.empty()) {
    printLine("Settings.txt ended early; these options keep their "
              "defaults: " +
              joined(read.unreadOptions));
  }
  if (options.solverThreads) {
    settings.SolverThreadCount = solverThreadsFor(*options.solverThreads);
  }
  settings.points = options.points;
  settings.digits = options.digits;
  settings.counting = options.counting;
  settings.halvesMemory = options.halvesMemory;
  // A malformed value keeps its default, so the bounds of every option can
  // still be checked: all settings problems are reported in one go.
  const SettingsCheck check = checkSettings(settings, read);
  settings = check.settings;
  if (!read.labelWarning.empty()) printError(read.labelWarning);
  if (!read.valueLabelWarning.empty()) printError(read.valueLabelWarning);
  for (const std::string& warning : check.warnings) printError(warning);
  for (const std::string& error : read.errors) printError(error);
  for (const std::string& error : check.errors) printError(error);
  if (!read.errors.empty() || !check.errors.empty()) {
    return RunStart::kRefused;
  }
  for (const std::string& line : unusedOptionLines(settings)) printError(line);
  if (stop.stop_requested()) return RunStart::kStopped;
  // The run as every stage reads it, from here on.
  config = RunConfig(settings, options.report, options.memoryBudget,
                       options.summaries,
                       options.given ? options.given->modes : ModeSet().set());
  if (const std::optional<PointDesign>& design = config.design()) {
    printLine(std::string(pointKindRow(design->points).name) + " points: " +
              std::to_string(design->replicates) + " independent sets of " +
              std::to_string(design->replicateJobs) + ", " +
              std::to_string(design->jobCount()) +
              " samples per phase (SampleCount " +
              std::to_string(settings.SampleCount) +
              (design->jobCount() != static_cast<std::uint64_t>(
                                         settings.SampleCount)
                   ? ", rounded up)"
                   : ")"));
  }

  // Only the folders up to the last present one are read file by file; the
  // missing rest is one line, however large MaxMatrix is. Inputs handed
  // over in memory have no folders.
  const SystemFolders folders = options.given
                                    ? SystemFolders{settings.MaxMatrix, {}}
                                    : findSystemFolders(settings.MaxMatrix);
  // A sampling run draws its seed before the check, which draws the
  // phases' samples from it where their bands might collapse.
  if (drawsSamples(config.points())) {
    runSeed = options.seed ? *options.seed : drawSeed();
  }
  // --check times its phases on the first system's first mode, which a run
  // eliminates in its calibration (and keeps) when the check keeps none.
  const FirstElimination first = options.checkOnly
                                     ? FirstElimination::kAlwaysKept
                                     : FirstElimination::kKeptWithTheOthers;
  RunInputsCheck inputs =
      options.given
          ? checkGivenInputs(config, std::move(options.given->systems), stop,
                             first, runSeed)
          : checkRunInputs(config, folders.present, stop, first, runSeed);
  if (stop.stop_requested()) return RunStart::kStopped;
  for (const std::string& warning : inputs.warnings) printError(warning);
  // A MaxMatrix far beyond the folders present would otherwise list millions
  // of missing files.
  constexpr std::size_t kMostReported = 100;
  std::vector<std::string>& problems = inputs.errors;
  problems.insert(problems.end(), folders.missingTail.begin(),
                  folders.missingTail.end());
  for (std::size_t k = 0; k < problems.size() && k < kMostReported; ++k) {
    printError(problems[k]);
  }
  if (problems.size() > kMostReported) {
    printError("... and " + std::to_string(problems.size() - kMostReported) +
               " more problems in the input files");
  }
  if (!problems.empty()) return RunStart::kRefused;
  // The families some system is analysed under, for the plan and the
  // estimates of what the run writes.
  RunConfig::FamilySystems counts{};
  std::uint64_t correlated = 0;
  int intervalMatrices = 0;
  int randomMatrices = 0;
  std::uint64_t randomPhases = 0;
  for (const SystemInputs& system : inputs.systems) {
    intervalMatrices += system.intervalMatrix.empty() ? 0 : 1;
    randomMatrices += system.hasRandomMatrix() ? 1 : 0;
    for (std::size_t f = 0; f < kFamilyCount; ++f) {
      counts[f] += system.families.test(f) ? 1 : 0;
      const ParameterKind kind = kFamilies[f].parameterKind;
      randomPhases +=
          system.families.test(f) && !system.randomMatrixOf(kind).empty() ? 1
                                                                          : 0;
    }
    correlated += system.correlated() ? 1 : 0;
  }
  config.setFamilySystems(counts);
  config.setOwnCellPhases(ownCellPhases(config, inputs.systems));
  config.setCorrelatedSystems(correlated);
  config.setIntervalMatrixSystems(intervalMatrices);
  config.setRandomMatrixSystems(randomMatrices);
  config.setRandomMatrixPhases(randomPhases);
  // What the settings would cost, once every input is known to be sound.
  if (const auto problem = footprintProblem(
          settings, estimateFootprint(config), machineLimits())) {
    printError(*problem);
    return RunStart::kRefused;
  }
  systems = std::move(inputs.systems);
  eliminated = std::move(inputs.eliminated);
  figures = std::move(inputs.figures);
  return RunStart::kReady;
}

}  // namespace linprob
