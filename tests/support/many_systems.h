// A made-up run of many systems for the tests of the report's pages: every
// system analysed under every pivoting mode, each table measured once and
// copied, so that thousands of systems take a moment to build.
#ifndef LINPROB_TESTS_SUPPORT_MANY_SYSTEMS_H_
#define LINPROB_TESTS_SUPPORT_MANY_SYSTEMS_H_

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "linear/pivot_mode.h"
#include "results/phase_result.h"
#include "results/phase_measures.h"
#include "results/position_measures.h"
#include "results/result_store.h"
#include "results/system_reference.h"

namespace linprob::testing {

// One system of n unknowns, every table (of `count` samples) of `bands`
// bands over [0, 1] with equal masses, each table measured.
inline SystemResult evenSystem(int n, int bands, std::uint64_t count) {
  SystemResult shape;
  for (int u = 0; u < n; ++u) {
    shape.columnOrder.push_back(static_cast<unsigned>(u));
    shape.plainReplay.push_back(0.5);
    shape.plainReplayBounds.push_back(Interval(0.5));
    shape.interval.push_back(Interval(0.0, 1.0));
  }
  for (const FamilyInfo& family : kFamilies) {
    // The families of a run whose systems have the files every
    // system has.
    if (!requiredFamilies().test(static_cast<std::size_t>(family.family))) continue;
    PhaseBands phase(static_cast<std::size_t>(n));
    for (auto& table : phase) {
      table.count = count;
      table.min = 0.0;
      table.max = 1.0;
      layBorders(table, bands);
      for (double& mass : table.masses) mass = 1.0 / static_cast<double>(table.masses.size());
    }
    PhaseResult measured = makePhaseResult(
        family.family, std::move(phase),
        std::vector<NormalParameters>(static_cast<std::size_t>(n), {0.5, 0.01}),
        shape.columnOrder);
    measurePhase(measured, SystemReference{});
    shape.phases.push_back(std::move(measured));
  }
  return shape;
}

// `systems` systems of n unknowns, every table of `bands` bands over
// [0, 1] with equal masses. The total variation of INVALID of system s is
// worst(s) for unknown 0 and a tenth of it for the others. Every system
// has a reference with its matrix (2 on the diagonal, 0.5 elsewhere) and
// right-hand sides, but no certified values.
inline ResultStore manySystems(int systems, int n, int bands,
                               const std::function<double(int)>& worst) {
  ResultStore store(n, systems);
  const SystemResult shape = evenSystem(n, bands, 16);
  SystemReference reference;
  reference.n = static_cast<unsigned>(n);
  reference.matrix.assign(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), 0.5);
  for (int i = 0; i < n; ++i) {
    reference.matrix[static_cast<std::size_t>(i) * static_cast<std::size_t>(n + 1)] = 2.0;
  }
  reference.rhs.assign(static_cast<std::size_t>(n), 1.0);
  reference.intervalRhs.assign(static_cast<std::size_t>(n), ValueBounds{0.9, 1.1});
  for (int s = 0; s < systems; ++s) {
    SystemResult result = shape;
    result.system = s;
    for (PhaseResult& phase : result.phases) {
      for (PositionResult& position : phase.positions) {
        position.measures.invalid->discrepancy->totalVariation =
            position.unknown == 0 ? worst(s) : worst(s) / 10;
      }
    }
    for (const PivotMode& mode : kPivotModes) {
      result.mode = mode;
      store.add(result);
    }
    reference.system = s;
    store.addReference(reference);
  }
  return store;
}

}  // namespace linprob::testing

#endif  // LINPROB_TESTS_SUPPORT_MANY_SYSTEMS_H_
