// RunPlan: what a run will do, worked out from its settings alone (its
// systems, phases and jobs, what it holds in memory and writes), the
// estimate of its run time, and the text that --check prints and the
// durations every message shows.
//
// A run has systems x 4 pivoting modes x 3 families phases; each phase has
// IntegrationPrecision^Dimensions jobs (enumeration) or SampleCount jobs
// (sampling), split into chunksPerPhase chunks (distributions/job_chunk.h).
// A phase replays every job to count it into its band, and before that the
// jobs that can hold an unknown's extremes: in enumeration usually a few per
// prefix, else every job again. replaysPerJob is that ratio, 2 until a
// calibration has measured it.
//
// The estimate (estimateSeconds) is the time already spent (the start-of-run
// check and the calibration) and what is left, from costs measured on this
// machine (calibration.h):
//   (systems - references kept) x a system's references
//   + systems x 4 x an elimination
//   + phases x (a phase's setup + jobs x replaysPerJob x a replay / S)
//   + systems x the measures and writers of a system
//   + systems x the continuous truth of a system (with a report),
//   + systems with an interval matrix x its enclosures (with a report; a
//     fixed model of one thread, intervalMatrixSeconds),
// the share of the phases whose entries are correlated and enumerated
// taking every job twice with its copula's map (a fixed cost an entry),
// neither by halves nor with the extreme search;
// except that an enumeration phase counted by halves (counting_plan.h)
// replays its jobs in the first pass only and counts them in the
// halvesSeconds of its plan (the cost model's time, not scaled by the
// replay measured here: the calibration's small phases time a replay at 10
// to 23 ns for n = 8, against the model's 30, and the halves' work is not
// a replay's) / S', S' = n / ceil(n / P) as its positions are shared by
// the threads;
// where S is the speed-up of a phase's chunks on the solver threads: with
// P = min(solver threads, hardware threads) and C chunks,
// S = C / ceil(C / P) (threads beyond the hardware's add nothing, and a
// phase's last round of chunks may leave threads idle). A phase's setup
// (starting its threads, its per-thread tables, the extreme search) is
// measured with the run's own thread count.
#ifndef LINPROB_COST_RUN_PLAN_H_
#define LINPROB_COST_RUN_PLAN_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "distributions/point_kinds.h"
#include "distributions/point_design.h"
#include "cost/run_footprint.h"
#include "config/run_config.h"
#include "config/settings.h"
#include "solve/counting_plan.h"

namespace linprob {

struct RunPlan {
  int systems = 0;  // MaxMatrix, 0 when below 1
  // The pivoting modes analysed: all four but in a run from Python that
  // asks for fewer.
  int modes = static_cast<int>(kPivotModes.size());
  // The families some system is analysed under.
  FamilySet families = requiredFamilies();
  PointKind points = PointKind::kEnumeration;  // pointKindFor the settings
  unsigned unknowns = 0;
  int countPerPhase = 0;           // cells per entry, or samples
  std::optional<int> digits;       // a sampling run's --digits
  std::uint64_t jobsPerPhase = 0;  // 0 when the count is below 1
  // The units of a phase's chunk plan: prefixes, or blocks of samples.
  std::uint64_t unitsPerPhase = 0;
  std::size_t chunksPerPhase = 1;
  int solverThreads = 1;
  int generatorThreads = 1;
  double replaysPerJob = 2.0;  // both passes; see above
  RunFootprint footprint;      // run_footprint.h
  // How an enumeration phase counts its jobs (phase_settings.h); sampling:
  // kReplay with no reason.
  CountingPlan counting;
  // What the run asked for: --counting and --halves-memory (bytes).
  CountingChoice countingChoice = CountingChoice::kCheaper;
  std::uint64_t halvesMemory = kDefaultHalvesMemory;

  // The phases of a family that fixes its own cells (the data family's,
  // enumerating), which have their own jobs (run_config.h); none in
  // sampling.
  OwnCellPhases ownCells;
  // The systems analysed under each family, once the start check has
  // counted them; else every system under every family in `families`.
  std::optional<RunConfig::FamilySystems> familySystems;
  // The systems with correlated entries.
  std::uint64_t correlatedSystems = 0;
  // The systems with an interval matrix, and whether the report (which
  // alone computes their enclosures) is written.
  int intervalMatrixSystems = 0;
  bool writesReport = true;
  // The systems with a random matrix, and their phases under one mode.
  int randomMatrixSystems = 0;
  std::uint64_t randomMatrixPhases = 0;
  // The jobs of each: the samples, or every combination of cells of the
  // matrix's and the right-hand side's n^2 + n entries.
  std::uint64_t randomMatrixJobs = 0;
  // The memory a phase may keep its solved values in between its passes
  // (--memory-budget).
  std::uint64_t memoryBudget = 0;

  std::uint64_t phases() const;
  // The phases of jobsPerPhase jobs each: all but those of ownCells.
  std::uint64_t settingsPhases() const;
  // The solved values a sampling phase keeps for its second pass, where
  // they fit the memory budget.
  std::uint64_t solvedValueBytes() const;
  // settingsPhases() x jobsPerPhase and the jobs of ownCells' phases, or
  // nothing when that is beyond 64 bits.
  std::optional<std::uint64_t> totalJobs() const;
  // Every job replay of the run, both passes of every phase, at
  // replaysPerJob (as a double: it may be beyond 64 bits).
  double totalReplays() const;
  // Eliminations made while the run computes (one per system and mode).
  std::uint64_t eliminations() const;
};

// The plan of a run of this configuration (its settings checked). A job
// count beyond 64 bits, which the check refuses, is taken as the largest
// 64-bit count.
RunPlan makeRunPlan(const RunConfig& config);

// Times measured on this machine (see calibration.h).
struct RunCosts {
  // Spent before the estimate: the start-of-run check and the calibration.
  double elapsedSeconds = 0.0;
  double secondsPerElimination = 0.0;
  double secondsPerReference = 0.0;  // one system's exact references
  int referencesKept = 0;  // computed by the calibration, kept for the run
  // A phase without its replays, with the run's thread counts.
  double phaseSetupSeconds = 0.0;
  // One job replay on one thread, its production and counting included.
  double secondsPerReplay = 0.0;
  // Replays per job of the calibration phase (both passes): what the first
  // pass costs for phases of this run.
  double replaysPerJob = 2.0;
  unsigned hardwareThreads = 1;
  // The phases' measures, the summary files, the export and the report of
  // one system.
  double writerSecondsPerSystem = 0.0;
  // The continuous truth of one system, all its phases (truth_timing.h).
  double truthSecondsPerSystem = 0.0;
};

// The speed-up of a phase of `chunks` chunks on `threads` solver threads on
// a machine of `hardware` threads: C / ceil(C / P), P = min(threads,
// hardware); at least 1.
double phaseSpeedUp(std::size_t chunks, int threads, unsigned hardware);

// The estimated seconds of the whole run.
double estimateSeconds(const RunPlan& plan, const RunCosts& costs);

// Above this estimate (10 minutes) a run says beforehand how long it will
// take.
inline constexpr double kLongRunSeconds = 600.0;

// The line a run estimated above kLongRunSeconds prints on standard error
// before it starts.
std::string longRunLine(const RunPlan& plan, double seconds);

// The plan as --check prints it, with the memory and files it needs (and
// a line per kind of file the run writes, "  Report/bands.csv:   about
// 480 kB"); `seconds` is the estimate (none when the calibration could not
// be made).
std::vector<std::string> planLines(const RunPlan& plan,
                                   std::optional<double> seconds);

// The --check line of the memory budget: whether a sampling phase keeps its
// solved values between its passes, and how much they take.
std::string memoryBudgetLine(const RunPlan& plan, std::uint64_t budget);

// A duration rounded to the second, in its two largest units: "0s", "45s",
// "3m05s", "2h03m", "12d04h"; "more than 100 years" beyond that.
std::string formatDuration(double seconds);

}  // namespace linprob

#endif  // LINPROB_COST_RUN_PLAN_H_
