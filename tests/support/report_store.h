// Test support: a small measured ResultStore for the report writers.
//
// One system, diag(2, 4) with b = (2, 8), whose exact references are those
// of x = (1, 2), under two modes: NoPivot (identity column order, growth 1)
// and RowColPivot (order 1, 0 and a growth that is not a number). Families
// under NoPivot: Triangular solved no job; Normal has both unknowns counted
// with their accumulators (unknown 1 all at 2); Uniform has unknown 0
// counted without accumulators and without an approximation. RowColPivot
// holds the same Normal phase.
#ifndef LINPROB_TESTS_SUPPORT_REPORT_STORE_H_
#define LINPROB_TESTS_SUPPORT_REPORT_STORE_H_

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "results/result_store.h"
#include "results/system_reference.h"
#include "support/counted_bands.h"

namespace linprob::testing {

inline SystemReference reportReference() {
  SystemInputs inputs;
  inputs.n = 2;
  inputs.matrix = {2, 0, 0, 4};
  inputs.rhs = {2, 8};
  inputs.intervalRhs = {{1, 3}, {4, 12}};
  inputs.normalPairs = {2, 1, 8, 0};
  inputs.boundsPairs = {0, 4, 0, 8};
  inputs.enumerate = false;
  return makeSystemReference(inputs);
}

inline PhaseResult normalPhase(const std::vector<unsigned>& order,
                               const SystemReference& reference) {
  PhaseBands bands(2);
  bands[order[0] == 0 ? 0 : 1] =
      countedBands({0.5, 1.0, 1.5}, {0.25, 0.5, 0.25}, 2, 1.0);
  bands[order[0] == 0 ? 1 : 0] =
      countedBands({2.0, 2.0, 2.0}, {0.25, 0.5, 0.25}, 2, 2.0);
  std::vector<NormalParameters> moments = {{1.0, 0.25}, {2.0, 0.0}};
  if (order[0] != 0) std::swap(moments[0], moments[1]);
  PhaseResult phase =
      makePhaseResult(Family::kNormal, std::move(bands), moments, order);
  measurePhase(phase, reference);
  return phase;
}

inline ResultStore reportStore() {
  ResultStore store(2, 1);
  store.addReference(reportReference());
  const SystemReference& reference = *store.reference(0);

  SystemResult plain;
  plain.mode = kPivotModes[0];
  plain.columnOrder = {0, 1};
  plain.exact = {Interval(1.0), Interval(2.0)};
  plain.interval = {Interval(0.5, 1.5), Interval(1.0, 3.0)};
  plain.measures = measureSolution(plain.exact, plain.interval,
                                   plain.columnOrder, &*reference.exact);
  PhaseResult none = makePhaseResult(Family::kTriangular, PhaseBands(2), {},
                                     plain.columnOrder);
  measurePhase(none, reference);
  PhaseBands uniformBands(2);
  uniformBands[0] = countedBands({0.0, 1.0, 1.0}, {0.5, 0.25, 0.25}, 2);
  uniformBands[0].moments.reset();
  uniformBands[0].fine.reset();
  PhaseResult uniform = makePhaseResult(Family::kUniform,
                                        std::move(uniformBands), {},
                                        plain.columnOrder);
  measurePhase(uniform, reference);
  plain.phases = {none, normalPhase(plain.columnOrder, reference), uniform};
  store.add(plain);

  SystemResult pivoted;
  pivoted.mode = kPivotModes[3];
  pivoted.columnOrder = {1, 0};
  pivoted.exact = {Interval(2.0), Interval(std::nextafter(1.0, 2.0))};
  pivoted.interval = {Interval(1.0, 3.0), Interval(0.0, 2.0)};
  pivoted.measures = measureSolution(pivoted.exact, pivoted.interval,
                                     pivoted.columnOrder, &*reference.exact);
  pivoted.pivotGrowth = std::numeric_limits<double>::quiet_NaN();
  pivoted.phases = {normalPhase(pivoted.columnOrder, reference)};
  store.add(pivoted);
  return store;
}

}  // namespace linprob::testing

#endif  // LINPROB_TESTS_SUPPORT_REPORT_STORE_H_
