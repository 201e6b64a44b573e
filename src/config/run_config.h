// RunConfig: the run as every stage reads it, made once at its start from
// the checked settings (Settings.txt with the command line's overrides
// applied) and the options the cost of a run depends on: whether Report/
// is written and the memory a phase may keep between its passes. What the
// settings make of every phase (the kind of job source, the count it takes,
// the points' design, the jobs and chunks, how enumeration counts, the
// solver's options) is derived once here, behind const accessors; the
// stages never derive it again.
#ifndef LINPROB_CONFIG_RUN_CONFIG_H_
#define LINPROB_CONFIG_RUN_CONFIG_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "config/run_options.h"
#include "config/settings.h"
#include "distributions/point_design.h"
#include "distributions/family.h"
#include "distributions/job_source.h"
#include "distributions/point_kinds.h"
#include "linear/pivot_mode.h"
#include "results/system_reference.h"
#include "solve/counting_plan.h"
#include "solve/solve_options.h"

namespace linprob {

// The phases of a family that fixes its own cells (CellCount::kOnePerValue)
// in an enumerating run, as the start check found them: the systems
// analysed under it, one phase of each (a mode's) with its jobs summed
// (saturating at 2^64 - 1), and the fewest and most cells per entry.
struct OwnCellPhases {
  std::uint64_t systems = 0;
  std::uint64_t jobs = 0;
  int fewestCells = 0;
  int mostCells = 0;
};

class RunConfig {
 public:
  // The default settings, with a report and the default budget.
  RunConfig();
  explicit RunConfig(const RunSettings& settings,
                     ReportChoice report = ReportChoice::kWritten,
                     std::uint64_t memoryBudget = kDefaultMemoryBudget,
                     SummaryChoice summaries = SummaryChoice::kWritten,
                     ModeSet modes = ModeSet().set());

  const RunSettings& settings() const { return settings_; }
  ReportChoice report() const { return report_; }
  bool writesReport() const { return report_ == ReportChoice::kWritten; }
  // Whether the run analyses its systems under `mode` (every mode but in a
  // run from Python that asks for fewer), and the first mode it does.
  bool runs(const PivotMode& mode) const {
    return modes_.test(static_cast<std::size_t>(mode.index));
  }
  const PivotMode& firstMode() const;
  // The families some system of the run is analysed under: those whose
  // files every system has until the start check has read the systems,
  // which sets them with their counts below.
  const FamilySet& analysedFamilies() const { return families_; }
  // How many systems are analysed under each family (a family of an
  // optional file only where a system has it), by Family; none until the
  // start check has read the systems.
  using FamilySystems = std::array<std::uint64_t, kFamilyCount>;
  const std::optional<FamilySystems>& familySystems() const {
    return familySystems_;
  }
  // Sets the counts, and the analysed families as those with any system.
  void setFamilySystems(const FamilySystems& counts) {
    familySystems_ = counts;
    families_.reset();
    for (std::size_t f = 0; f < kFamilyCount; ++f) families_.set(f, counts[f] > 0);
  }
  // None until the start check sets them, and none in sampling.
  const OwnCellPhases& ownCellPhases() const { return ownCells_; }
  void setOwnCellPhases(const OwnCellPhases& phases) { ownCells_ = phases; }
  // The systems whose entries are correlated (Correlation.txt), as the
  // start check found them.
  std::uint64_t correlatedSystems() const { return correlatedSystems_; }
  void setCorrelatedSystems(std::uint64_t count) { correlatedSystems_ = count; }
  // The systems with an interval matrix (IntMatice.txt), as the start
  // check found them.
  int intervalMatrixSystems() const { return intervalMatrixSystems_; }
  void setIntervalMatrixSystems(int count) { intervalMatrixSystems_ = count; }
  // The systems with a random matrix, as the start of the run found them.
  int randomMatrixSystems() const { return randomMatrixSystems_; }
  void setRandomMatrixSystems(int count) { randomMatrixSystems_ = count; }
  // The phases under one mode whose matrix is random (a system's families
  // that draw theirs), summed over the systems.
  std::uint64_t randomMatrixPhases() const { return randomMatrixPhases_; }
  void setRandomMatrixPhases(std::uint64_t count) {
    randomMatrixPhases_ = count;
  }
  // Whether each system's summary files and the CSV export are written.
  bool writesSummaries() const {
    return summaries_ == SummaryChoice::kWritten;
  }
  // The references a system needs: certified ones for the report, else
  // its inputs alone.
  ReferenceNeed referenceNeed() const {
    return writesReport() ? ReferenceNeed::kCertified
                          : ReferenceNeed::kInputsOnly;
  }
  // The bytes of solved values a phase may keep between its two passes.
  std::uint64_t memoryBudget() const { return memoryBudget_; }

  // The run's points: every combination of cells, or random, sobol or lhs
  // samples (ExactDistributions and --points, met once).
  PointKind points() const { return points_; }
  // Cells per entry when enumerating, else samples.
  int phaseCount() const { return phaseCount_; }
  // A sampling run's sobol or lhs design; none otherwise.
  const std::optional<PointDesign>& design() const { return design_; }
  // The jobs of every phase and their chunk plan (the kind's row).
  const PhaseJobs& phaseJobs() const { return phaseJobs_; }
  // 0 for a count below 1, the largest 64-bit count when beyond.
  std::uint64_t jobsPerPhase() const { return phaseJobs_.jobs; }
  // At least 1.
  std::size_t chunksPerPhase() const {
    return phaseJobs_.plan.chunks > 0 ? phaseJobs_.plan.chunks : 1;
  }
  const CountingPlan& countingPlan() const { return countingPlan_; }
  // Threads, bands and counting; each phase adds its stop, progress,
  // references and processes.
  const SolveOptions& solveOptions() const { return solveOptions_; }
  // Where the CSV export goes: "Export/" (enumeration) or "ExportApprox/".
  const char* exportFolder() const;

 private:
  RunSettings settings_;
  ReportChoice report_ = ReportChoice::kWritten;
  SummaryChoice summaries_ = SummaryChoice::kWritten;
  ModeSet modes_ = ModeSet().set();
  FamilySet families_ = requiredFamilies();
  OwnCellPhases ownCells_;
  std::optional<FamilySystems> familySystems_;
  std::uint64_t correlatedSystems_ = 0;
  int intervalMatrixSystems_ = 0;
  int randomMatrixSystems_ = 0;
  std::uint64_t randomMatrixPhases_ = 0;
  std::uint64_t memoryBudget_ = kDefaultMemoryBudget;
  PointKind points_ = PointKind::kEnumeration;
  int phaseCount_ = 0;
  std::optional<PointDesign> design_;
  PhaseJobs phaseJobs_;
  CountingPlan countingPlan_;
  SolveOptions solveOptions_;
};

// What a phase of `family` with these entries' parameters is made from: the
// run's points and count, and the seed of a kind that draws.
SourceRequest requestFor(const RunConfig& config, const FamilyInfo& family,
                         EntryParameters entries, std::uint64_t seed = 0);

}  // namespace linprob

#endif  // LINPROB_CONFIG_RUN_CONFIG_H_
