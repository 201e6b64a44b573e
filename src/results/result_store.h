// ResultStore: the results of a whole run, gathered for the writers that
// need them all at once (the CSV export), in one flat container keyed by
// (unknown, system, pivoting mode, family). The unknown is always its input
// index, never its solution position.
//
// Per (unknown, system, mode): the plain replay (the RealRHS.txt replay in
// doubles), the bounds of its replay in intervals, the interval bounds of
// the IntRHS.txt replay, and their measures against the system's references
// (computed when asked for, from the values kept here and the reference:
// no more is kept per unknown than the five values). Per (system, mode): the elimination's pivot growth and column
// order. Per (system, mode, family): the jobs the phase solved, the seed
// of a sampling phase and how a --digits phase ended. Per
// (unknown, system, mode, family): that unknown's PositionResult.
// Per system: its SystemReference, kept from the first mode that analyses it
// (it does not depend on the mode). And the added measures' rows its
// positions were measured with (results/added_measure.h), for the writers.
//
// Written only by the driver's thread after a system's phases, read by the
// writers after the run; it needs no lock.
#ifndef LINPROB_RESULTS_RESULT_STORE_H_
#define LINPROB_RESULTS_RESULT_STORE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "distributions/family.h"
#include "linear/pivot_mode.h"
#include "results/added_measure.h"
#include "results/solution_measures.h"
#include "results/system_reference.h"
#include "results/system_result.h"

namespace linprob {

inline constexpr int kPivotModeCount = 4;
static_assert(kPivotModeCount == kPivotModes.size());

// The tables of one unknown of a system: one per pivoting mode and family.
inline constexpr std::size_t kTablesPerUnknown =
    static_cast<std::size_t>(kPivotModeCount) * kFamilyCount;

struct StoredSolution {
  double plainReplay = 0.0;      // the RealRHS.txt replay in doubles
  double plainReplayLow = 0.0;   // its replay in intervals
  double plainReplayHigh = 0.0;
  double intervalLow = 0.0;
  double intervalHigh = 0.0;
};

struct StoredPhase {
  // False until the system's result under the mode is added with this
  // family's phase (a system analysed under fewer families has none).
  bool stored = false;
  std::uint64_t solvedJobs = 0;       // 0 until stored
  std::optional<std::uint64_t> seed;  // sampling only
  std::optional<DigitsStop> digits;   // sampling under --digits only
  std::optional<RandomMatrixOutcome> randomMatrix;  // a random matrix only
};

struct StoredElimination {
  bool stored = false;  // false until the system's result under the mode is added
  double pivotGrowth = 0.0;
  std::vector<unsigned> columnOrder;
};

class ResultStore {
 public:
  // Counts of 0 or less give an empty store. `added`: the rows the stored
  // positions are measured with (measurePhase's), the program's unless a
  // test gives others.
  ResultStore(int unknownCount, int systemCount,
              std::span<const AddedMeasure> added = addedMeasures());

  int unknownCount() const { return unknownCount_; }
  int systemCount() const { return systemCount_; }
  std::span<const AddedMeasure> addedRows() const { return added_; }

  // Stores every unknown of `result` under its input index.
  void add(const SystemResult& result);
  // Keeps `reference` for its system, replacing one kept before.
  void addReference(SystemReference reference);

  // Zero until the system's result under that mode is added.
  const StoredSolution& solution(int unknown, int system, int mode) const;
  // The solution's measures against the system's exact references
  // (results/solution_measures.h); empty without them.
  SolutionMeasures measures(int unknown, int system, int mode) const;
  // nullptr until stored.
  const PositionResult* phase(int unknown, int system, int mode,
                              Family family) const;
  const StoredElimination& elimination(int system, int mode) const;
  const StoredPhase& phaseRun(int system, int mode, Family family) const;
  // nullptr until kept.
  const SystemReference* reference(int system) const;
  // The families some system has a phase of, in the table's order: the
  // ones the run analysed (the files' tables have rows for these alone).
  std::vector<Family> analysedFamilies() const;

 private:
  std::size_t solutionIndex(int unknown, int system, int mode) const;
  std::size_t phaseIndex(int unknown, int system, int mode,
                         Family family) const;

  int unknownCount_;
  int systemCount_;
  std::span<const AddedMeasure> added_;
  std::vector<StoredSolution> solutions_;
  std::vector<std::optional<PositionResult>> phases_;
  std::vector<StoredElimination> eliminations_;  // system * modes + mode
  std::vector<StoredPhase> phaseRuns_;  // (system * modes + mode) * families
  std::vector<std::optional<SystemReference>> references_;
};

}  // namespace linprob

#endif  // LINPROB_RESULTS_RESULT_STORE_H_
