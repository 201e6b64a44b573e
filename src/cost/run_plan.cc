#include "cost/run_plan.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <sstream>

#include "cost/interval_timing.h"
#include "cost/sample_timing.h"
#include "distributions/family.h"
#include "distributions/job_block.h"
#include "distributions/job_chunk.h"
#include "distributions/point_kinds.h"
#include "linear/pivot_mode.h"
#include "solve/first_pass_blocks.h"

namespace linprob {
namespace {

// "a, b, c" of the name `nameOf` gives each entry of `table`.
template <typename Table, typename Name>
std::string namesOf(const Table& table, Name nameOf) {
  std::string names;
  for (const auto& entry : table) {
    if (!names.empty()) names += ", ";
    names += nameOf(entry);
  }
  return names;
}

// Whether the plan's phases of `family` take their cells from its entries
// (an enumerating run of a family some system runs): ownCells holds them.
bool ownCellFamily(const RunPlan& plan, const FamilyInfo& family) {
  return !drawsSamples(plan.points) &&
         family.cellCount == CellCount::kOnePerValue &&
         plan.families.test(static_cast<std::size_t>(family.family));
}

}  // namespace

std::uint64_t RunPlan::solvedValueBytes() const {
  // A sampling phase's units are its blocks, a replicate's last one short
  // where its points are not a multiple of kBlockJobs; sample counts are
  // below 2^31, so the product stays far below 2^64.
  return unitsPerPhase * firstPassBlockBytes(unknowns);
}

std::uint64_t RunPlan::settingsPhases() const {
  // Before the start check every system runs every family of `families`.
  std::uint64_t phases = 0;
  for (const FamilyInfo& family : kFamilies) {
    const auto f = static_cast<std::size_t>(family.family);
    if (!families.test(f) || ownCellFamily(*this, family)) continue;
    phases += familySystems ? (*familySystems)[f]
                            : static_cast<std::uint64_t>(systems);
  }
  return phases * static_cast<std::uint64_t>(modes);
}

std::uint64_t RunPlan::phases() const {
  return settingsPhases() +
         static_cast<std::uint64_t>(modes) * ownCells.systems;
}

std::optional<std::uint64_t> RunPlan::totalJobs() const {
  std::uint64_t total = 0;
  std::uint64_t own = 0;
  if (__builtin_mul_overflow(settingsPhases(), jobsPerPhase, &total) ||
      __builtin_mul_overflow(static_cast<std::uint64_t>(modes), ownCells.jobs,
                             &own) ||
      __builtin_add_overflow(total, own, &total)) {
    return std::nullopt;
  }
  return total;
}

double RunPlan::totalReplays() const {
  const double own =
      static_cast<double>(modes) * static_cast<double>(ownCells.jobs);
  return (static_cast<double>(settingsPhases()) *
              static_cast<double>(jobsPerPhase) +
          own) *
         replaysPerJob;
}

std::uint64_t RunPlan::eliminations() const {
  return static_cast<std::uint64_t>(systems) *
         static_cast<std::uint64_t>(modes);
}

RunPlan makeRunPlan(const RunConfig& config) {
  const RunSettings& settings = config.settings();
  RunPlan plan;
  plan.systems = settings.MaxMatrix > 0 ? settings.MaxMatrix : 0;
  plan.families = config.analysedFamilies();
  plan.modes = 0;
  for (const PivotMode& mode : kPivotModes) plan.modes += config.runs(mode);
  plan.points = config.points();
  plan.unknowns = settings.Dimensions;
  plan.countPerPhase = config.phaseCount();
  if (drawsSamples(plan.points)) plan.digits = settings.digits;
  plan.solverThreads = settings.SolverThreadCount;
  plan.generatorThreads = settings.GeneratorThreadCount;
  plan.jobsPerPhase = config.jobsPerPhase();
  plan.unitsPerPhase = config.phaseJobs().plan.units;
  plan.chunksPerPhase = config.chunksPerPhase();
  plan.ownCells = config.ownCellPhases();
  plan.familySystems = config.familySystems();
  plan.correlatedSystems = config.correlatedSystems();
  plan.intervalMatrixSystems = config.intervalMatrixSystems();
  plan.randomMatrixSystems = config.randomMatrixSystems();
  plan.randomMatrixPhases = config.randomMatrixPhases();
  plan.memoryBudget = config.memoryBudget();
  plan.randomMatrixJobs =
      drawsSamples(plan.points)
          ? plan.jobsPerPhase
          : phaseJobsOf(PointKind::kEnumeration,
                        plan.unknowns + plan.unknowns * plan.unknowns,
                        settings.IntegrationPrecision)
                .jobs;
  plan.writesReport = config.writesReport();
  plan.footprint = estimateFootprint(config);
  plan.counting = config.countingPlan();
  plan.countingChoice = settings.counting;
  plan.halvesMemory = settings.halvesMemory;
  return plan;
}

double phaseSpeedUp(std::size_t chunks, int threads, unsigned hardware) {
  const double parallel = std::max(
      1.0, std::min(static_cast<double>(std::max(threads, 1)),
                    static_cast<double>(std::max(hardware, 1u))));
  const double c = static_cast<double>(std::max<std::size_t>(chunks, 1));
  return std::max(1.0, c / std::ceil(c / parallel));
}

// The copula's map of one entry of one job (its share of z = L eps and
// its quantile at Phi(z)), measured on the development machine: an
// enumeration of n = 4, 50 cells, correlated entries took about 50 ns a
// job in both passes where a replay takes about 10.
constexpr double kCopulaSecondsPerEntry = 4e-9;

double estimateSeconds(const RunPlan& plan, const RunCosts& costs) {
  const double systems = plan.systems;
  const double references =
      std::max(systems - costs.referencesKept, 0.0) * costs.secondsPerReference;
  const double eliminating =
      static_cast<double>(plan.eliminations()) * costs.secondsPerElimination;
  // The counting pass: a replay of every job, or by halves the model's
  // seconds, its positions shared by the threads.
  const CountingPlan& counting = plan.counting;
  const bool byHalves = counting.method == CountingMethod::kHalves;
  const double perJob =
      std::max(costs.replaysPerJob - 1.0, 0.0) + (byHalves ? 0.0 : 1.0);
  const double replays = static_cast<double>(plan.jobsPerPhase) * perJob *
                         costs.secondsPerReplay /
                         phaseSpeedUp(plan.chunksPerPhase, plan.solverThreads,
                                      costs.hardwareThreads);
  const double halves =
      byHalves ? counting.halvesSeconds /
                     phaseSpeedUp(plan.unknowns, plan.solverThreads,
                                  costs.hardwareThreads)
               : 0.0;
  // The phases of a family's own cells replay every job, on the threads
  // as the others do.
  const double ownReplays =
      static_cast<double>(plan.modes) * static_cast<double>(plan.ownCells.jobs) *
      costs.replaysPerJob * costs.secondsPerReplay /
      phaseSpeedUp(plan.chunksPerPhase, plan.solverThreads,
                   costs.hardwareThreads);
  // An enumeration of correlated entries (distributions/copula_enumeration.h)
  // replays every job in both passes, and each pass maps every job's
  // normals through the copula first.
  const double correlated =
      !drawsSamples(plan.points) && systems > 0.0
          ? std::min(static_cast<double>(plan.correlatedSystems) / systems, 1.0)
          : 0.0;
  const double copulaReplays =
      static_cast<double>(plan.jobsPerPhase) *
      (2.0 * costs.secondsPerReplay +
       2.0 * static_cast<double>(plan.unknowns) * kCopulaSecondsPerEntry) /
      phaseSpeedUp(plan.chunksPerPhase, plan.solverThreads,
                   costs.hardwareThreads);
  // A random matrix's phases draw and eliminate every sample instead
  // (sample_timing.h), in each pass that does not keep its blocks.
  const double settingsPhases = static_cast<double>(plan.settingsPhases());
  const double randomPhases =
      std::min(static_cast<double>(plan.randomMatrixPhases) *
                   static_cast<double>(plan.modes),
               settingsPhases);
  const bool kept = plan.solvedValueBytes() <= plan.memoryBudget;
  const double samples =
      static_cast<double>(plan.randomMatrixJobs) * (kept ? 1.0 : 2.0) *
      randomMatrixSampleSeconds(plan.unknowns) /
      phaseSpeedUp(plan.chunksPerPhase, plan.solverThreads,
                   costs.hardwareThreads);
  const double phases =
      static_cast<double>(plan.phases()) * costs.phaseSetupSeconds +
      (settingsPhases - randomPhases) *
          ((1.0 - correlated) * (replays + halves) +
           correlated * copulaReplays) +
      randomPhases * samples + ownReplays;
  const double writing =
      systems * (costs.writerSecondsPerSystem + costs.truthSecondsPerSystem);
  // With the references of a system that has an interval matrix, on one
  // thread (the model of its --check line).
  const double intervals = plan.writesReport ? static_cast<double>(plan.intervalMatrixSystems) *
                                                   intervalMatrixSeconds(plan.unknowns)
                                             : 0.0;
  return costs.elapsedSeconds + references + eliminating + phases + writing +
         intervals;
}

std::string formatDuration(double seconds) {
  constexpr double kMinute = 60.0;
  constexpr double kHour = 60.0 * kMinute;
  constexpr double kDay = 24.0 * kHour;
  if (!(seconds < 100.0 * 365.0 * kDay)) return "more than 100 years";
  const auto whole = static_cast<long long>(std::llround(std::max(seconds, 0.0)));
  const long long days = whole / 86400;
  const long long hours = whole / 3600 % 24;
  const long long minutes = whole / 60 % 60;
  const long long secs = whole % 60;
  char text[32];
  if (days > 0) {
    std::snprintf(text, sizeof text, "%lldd%02lldh", days, hours);
  } else if (hours > 0) {
    std::snprintf(text, sizeof text, "%lldh%02lldm", hours, minutes);
  } else if (minutes > 0) {
    std::snprintf(text, sizeof text, "%lldm%02llds", minutes, secs);
  } else {
    std::snprintf(text, sizeof text, "%llds", secs);
  }
  return text;
}

std::string longRunLine(const RunPlan& plan, double seconds) {
  std::ostringstream line;
  // "more than 100 years" is no amount to be "about".
  const std::string duration = formatDuration(seconds);
  line << "linprob: this run is estimated to take "
       << (duration.rfind("more than", 0) == 0 ? "" : "about ") << duration
       << " (" << plan.phases() << " phases of "
       << plan.jobsPerPhase << " jobs); it goes on";
  return line.str();
}

std::vector<std::string> planLines(const RunPlan& plan,
                                   std::optional<double> seconds) {
  std::vector<std::string> lines;
  lines.push_back("Check: the settings and every input file are sound.");
  std::string systems = "Systems: " + std::to_string(plan.systems);
  if (plan.systems == 1) {
    systems += " (Matrix0/)";
  } else if (plan.systems > 1) {
    systems += " (Matrix0/ ... Matrix" + std::to_string(plan.systems - 1) + "/)";
  }
  lines.push_back(systems);
  lines.push_back("Pivoting modes: " + std::to_string(kPivotModes.size()) +
                  " (" + namesOf(kPivotModes,
                          [](const PivotMode& mode) { return mode.plainName; }) + ")");
  std::vector<const char*> families;
  for (const FamilyInfo& family : kFamilies) {
    if (plan.families.test(static_cast<std::size_t>(family.family))) {
      families.push_back(family.name);
    }
  }
  lines.push_back("Families: " + std::to_string(families.size()) + " (" +
                  namesOf(families, [](const char* name) { return name; }) +
                  ")");
  if (plan.correlatedSystems > 0) {
    lines.push_back("Correlated entries: " +
                    std::to_string(plan.correlatedSystems) + " of " +
                    std::to_string(plan.systems) +
                    " systems (Correlation.txt, through a Gaussian copula; "
                    "INVALID ignores the correlation)");
    if (!drawsSamples(plan.points)) {
      lines.push_back(
          "Correlated enumeration: the cells of independent standard "
          "normals, each combination mapped through the copula and "
          "replayed whole (no counting by halves, no extreme search)");
    }
  }
  if (plan.randomMatrixSystems > 0) {
    lines.push_back(randomMatrixLine(plan.randomMatrixSystems, plan.systems,
                                     plan.unknowns));
  }
  if (plan.intervalMatrixSystems > 0) {
    lines.push_back(intervalMatrixLine(plan.intervalMatrixSystems,
                                       plan.systems, plan.unknowns));
  }
  lines.push_back("Phases: " + std::to_string(plan.phases()));
  const PointKindRow& points = pointKindRow(plan.points);
  lines.push_back("Jobs per phase: " + std::to_string(plan.jobsPerPhase) +
                  describeJobs(plan.points, plan.unknowns, plan.countPerPhase));
  if (plan.ownCells.systems > 0) {
    // "Jobs per Data phase: 625 (every combination of the 5 measured values
    // of each of 4 entries)", or a range over the systems.
    std::vector<const char*> own;
    for (const FamilyInfo& family : kFamilies) {
      if (ownCellFamily(plan, family)) own.push_back(family.name);
    }
    const OwnCellPhases& cells = plan.ownCells;
    const bool alike = cells.fewestCells == cells.mostCells;
    // "a" or "a to b", of the fewest and the most cells.
    const auto range = [&](auto of) {
      return alike ? std::to_string(of(cells.fewestCells))
                   : std::to_string(of(cells.fewestCells)) + " to " +
                         std::to_string(of(cells.mostCells));
    };
    const auto jobs = [&](int count) {
      return phaseJobsOf(plan.points, plan.unknowns, count).jobs;
    };
    lines.push_back("Jobs per " +
                    namesOf(own, [](const char* name) { return name; }) +
                    " phase: " + range(jobs) + " (every combination of the " +
                    range([](int count) { return count; }) +
                    " measured values of each of " +
                    std::to_string(plan.unknowns) + " entries" +
                    (alike ? ")" : ", as each system has them)"));
  }
  if (plan.digits) {
    lines.push_back(
        "Digits: " + std::to_string(*plan.digits) +
        " (each phase is sampled in rounds of 16 batches, 1024 samples a "
        "batch and then as many as the standard errors ask for, each round "
        "at least twice the last, until for every unknown the 95 % "
        "uncertainty (k standard errors, k the coverage factor) of the mean, "
        "the sd and both ends of the symmetric 95 % interval is at most half "
        "a unit in the last of the sd's " +
        std::to_string(*plan.digits) +
        " significant digits; the jobs per phase are the most a phase "
        "takes)");
  }
  const std::optional<std::uint64_t> total = plan.totalJobs();
  lines.push_back("Jobs in all: " +
                  (total ? std::to_string(*total) : "more than 2^64"));
  std::string threads =
      "Solver threads: " + std::to_string(plan.solverThreads);
  if (points.producers == ProducerThreads::kGeneratorThreads) {
    threads += ", generator threads: " + std::to_string(plan.generatorThreads);
  }
  lines.push_back(threads);
  if (!drawsSamples(plan.points) && !plan.counting.reason.empty()) {
    // The plan's reason with a capital: "Counting by halves: ..." or
    // "Replaying every job: ...", and the options it followed.
    std::string counting = plan.counting.reason;
    counting[0] = static_cast<char>(std::toupper(
        static_cast<unsigned char>(counting[0])));
    lines.push_back(counting + " (--counting " +
                    countingChoiceName(plan.countingChoice) +
                    "; --halves-memory " +
                    std::to_string(plan.halvesMemory >> 20) + " MiB)");
  }
  lines.push_back("Memory at the peak: about " +
                  byteText(plan.footprint.memoryBytes) +
                  "; files written: about " +
                  byteText(plan.footprint.outputBytes));
  // Each kind of file with its estimate, the estimates in one column.
  std::size_t widest = 0;
  for (const FileEstimate& file : plan.footprint.files) {
    widest = std::max(widest, file.name.size());
  }
  for (const FileEstimate& file : plan.footprint.files) {
    if (file.bytes <= 0.0) continue;
    lines.push_back("  " + file.name + ":" +
                    std::string(widest - file.name.size() + 1, ' ') +
                    "about " + byteText(file.bytes));
  }
  lines.push_back("Estimated run time: " +
                  (seconds ? formatDuration(*seconds) + " on this machine"
                           : std::string("unknown (the calibration failed)")));
  return lines;
}

std::string memoryBudgetLine(const RunPlan& plan, std::uint64_t budget) {
  const auto mib = [](std::uint64_t bytes) {
    return std::to_string((bytes >> 20) + ((bytes & 0xfffff) != 0)) + " MiB";
  };
  const std::string line = "Memory budget: " + mib(budget) + " (--memory-budget)";
  if (!drawsSamples(plan.points) || plan.jobsPerPhase == 0) {
    return line + " for the solved values a phase keeps between its passes";
  }
  const std::uint64_t bytes = plan.solvedValueBytes();
  if (bytes <= budget) {
    return line + "; a phase keeps its " + mib(bytes) +
           " of solved values for its second pass";
  }
  return line + "; a phase's " + mib(bytes) +
         " of solved values exceed it: each sample is drawn and replayed twice";
}

}  // namespace linprob
