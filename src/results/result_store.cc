#include "results/result_store.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace linprob {

ResultStore::ResultStore(int unknownCount, int systemCount,
                         std::span<const AddedMeasure> added)
    : unknownCount_(std::max(unknownCount, 0)),
      systemCount_(std::max(systemCount, 0)),
      added_(added) {
  const std::size_t solutions = static_cast<std::size_t>(unknownCount_) *
                                static_cast<std::size_t>(systemCount_) *
                                kPivotModeCount;
  solutions_.resize(solutions);
  phases_.resize(solutions * kFamilyCount);
  eliminations_.resize(static_cast<std::size_t>(systemCount_) *
                       kPivotModeCount);
  references_.resize(static_cast<std::size_t>(systemCount_));
  phaseRuns_.resize(eliminations_.size() * kFamilyCount);
}

std::size_t ResultStore::solutionIndex(int unknown, int system,
                                       int mode) const {
  assert(unknown >= 0 && unknown < unknownCount_);
  assert(system >= 0 && system < systemCount_);
  assert(mode >= 0 && mode < kPivotModeCount);
  const auto row = static_cast<std::size_t>(unknown) *
                       static_cast<std::size_t>(systemCount_) +
                   static_cast<std::size_t>(system);
  return row * kPivotModeCount + static_cast<std::size_t>(mode);
}

std::size_t ResultStore::phaseIndex(int unknown, int system, int mode,
                                    Family family) const {
  return solutionIndex(unknown, system, mode) * kFamilyCount +
         static_cast<std::size_t>(family);
}

void ResultStore::add(const SystemResult& result) {
  const int mode = result.mode.index;
  for (std::size_t k = 0; k < result.columnOrder.size(); ++k) {
    const int unknown = static_cast<int>(result.columnOrder[k]);
    StoredSolution& stored =
        solutions_[solutionIndex(unknown, result.system, mode)];
    stored.plainReplay = result.plainReplay[k];
    stored.plainReplayLow = result.plainReplayBounds[k].lower();
    stored.plainReplayHigh = result.plainReplayBounds[k].upper();
    stored.intervalLow = result.interval[k].lower();
    stored.intervalHigh = result.interval[k].upper();
  }
  StoredElimination& elimination =
      eliminations_[static_cast<std::size_t>(result.system) * kPivotModeCount +
                    static_cast<std::size_t>(mode)];
  elimination.stored = true;
  elimination.pivotGrowth = result.pivotGrowth;
  elimination.columnOrder = result.columnOrder;
  for (const PhaseResult& phase : result.phases) {
    StoredPhase& run =
        phaseRuns_[(static_cast<std::size_t>(result.system) * kPivotModeCount +
                    static_cast<std::size_t>(mode)) *
                       kFamilyCount +
                   static_cast<std::size_t>(phase.family)];
    run.stored = true;
    run.solvedJobs = phase.solvedJobs();
    run.seed = phase.seed;
    run.digits = phase.digits;
    run.randomMatrix = phase.randomMatrix;
    for (const PositionResult& position : phase.positions) {
      phases_[phaseIndex(static_cast<int>(position.unknown), result.system,
                         mode, phase.family)] = position;
    }
  }
}

std::vector<Family> ResultStore::analysedFamilies() const {
  std::vector<Family> families;
  for (const FamilyInfo& family : kFamilies) {
    for (std::size_t k = static_cast<std::size_t>(family.family);
         k < phaseRuns_.size(); k += kFamilyCount) {
      if (phaseRuns_[k].stored) {
        families.push_back(family.family);
        break;
      }
    }
  }
  return families;
}

void ResultStore::addReference(SystemReference reference) {
  assert(reference.system >= 0 && reference.system < systemCount_);
  references_[static_cast<std::size_t>(reference.system)] =
      std::move(reference);
}

const StoredSolution& ResultStore::solution(int unknown, int system,
                                            int mode) const {
  return solutions_[solutionIndex(unknown, system, mode)];
}

SolutionMeasures ResultStore::measures(int unknown, int system,
                                      int mode) const {
  const SystemReference* kept = reference(system);
  if (kept == nullptr || !kept->exact) return SolutionMeasures{};
  const StoredSolution& stored = solution(unknown, system, mode);
  return measureSolution(
      stored.plainReplay, Interval(stored.intervalLow, stored.intervalHigh),
      *kept->exact, static_cast<unsigned>(unknown));
}

const PositionResult* ResultStore::phase(int unknown, int system, int mode,
                                         Family family) const {
  const std::optional<PositionResult>& stored =
      phases_[phaseIndex(unknown, system, mode, family)];
  return stored ? &*stored : nullptr;
}

const StoredElimination& ResultStore::elimination(int system,
                                                  int mode) const {
  assert(system >= 0 && system < systemCount_);
  assert(mode >= 0 && mode < kPivotModeCount);
  return eliminations_[static_cast<std::size_t>(system) * kPivotModeCount +
                       static_cast<std::size_t>(mode)];
}

const StoredPhase& ResultStore::phaseRun(int system, int mode,
                                         Family family) const {
  assert(system >= 0 && system < systemCount_);
  assert(mode >= 0 && mode < kPivotModeCount);
  return phaseRuns_[(static_cast<std::size_t>(system) * kPivotModeCount +
                     static_cast<std::size_t>(mode)) *
                        kFamilyCount +
                    static_cast<std::size_t>(family)];
}

const SystemReference* ResultStore::reference(int system) const {
  assert(system >= 0 && system < systemCount_);
  const std::optional<SystemReference>& stored =
      references_[static_cast<std::size_t>(system)];
  return stored ? &*stored : nullptr;
}

}  // namespace linprob
