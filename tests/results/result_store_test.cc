#include "results/result_store.h"

#include <gtest/gtest.h>

#include "support/phase_text.h"

namespace linprob {
namespace {

using testing::phaseOfSamples;

// System 1 under RowColPivot, whose elimination put unknown 1 at position 0.
SystemResult swappedResult() {
  SystemResult result;
  result.system = 1;
  result.mode = kPivotModes[3];
  result.columnOrder = {1, 0};
  result.exact = {Interval(2, 2.5), Interval(1, 1.5)};
  result.interval = {Interval(-1, 3), Interval(-2, 4)};
  PhaseResult phase = phaseOfSamples({{{5, 1}}, {{-1, 0.5}, {1, 0.5}}}, 1,
                                     result.columnOrder);
  phase.family = Family::kUniform;
  result.phases.push_back(phase);
  return result;
}

TEST(ResultStoreTest, StoresUnderTheInputIndex) {
  ResultStore store(2, 3);
  store.add(swappedResult());
  // Position 0 holds unknown 1; only the lower end is the exact value.
  EXPECT_EQ(store.solution(1, 1, 3).exact, 2.0);
  EXPECT_EQ(store.solution(0, 1, 3).exact, 1.0);
  EXPECT_EQ(store.solution(1, 1, 3).intervalLow, -1.0);
  EXPECT_EQ(store.solution(1, 1, 3).intervalHigh, 3.0);
  EXPECT_EQ(store.solution(0, 1, 3).intervalLow, -2.0);
  EXPECT_EQ(store.solution(0, 1, 3).intervalHigh, 4.0);
  const PositionResult* unknown1 = store.phase(1, 1, 3, Family::kUniform);
  ASSERT_NE(unknown1, nullptr);
  EXPECT_EQ(unknown1->unknown, 1u);
  EXPECT_EQ(unknown1->valid.min, 5.0);
  EXPECT_EQ(store.phase(0, 1, 3, Family::kUniform)->valid.min, -1.0);
}

TEST(ResultStoreTest, StoresTheEliminationMeasuresJobsAndReference) {
  ResultStore store(2, 3);
  SystemResult result = swappedResult();
  result.pivotGrowth = 2.5;
  result.measures = {{3.0, std::nullopt}, {std::nullopt, 1.5}};
  result.phases[0].seed = 99;
  store.add(result);
  const StoredElimination& elimination = store.elimination(1, 3);
  EXPECT_TRUE(elimination.stored);
  EXPECT_EQ(elimination.pivotGrowth, 2.5);
  EXPECT_EQ(elimination.columnOrder, (std::vector<unsigned>{1, 0}));
  EXPECT_FALSE(store.elimination(1, 2).stored);
  // Measures by position, stored by unknown.
  EXPECT_EQ(store.solution(1, 1, 3).measures.forwardErrorUlps, 3.0);
  EXPECT_EQ(store.solution(0, 1, 3).measures.intervalOverestimation, 1.5);
  EXPECT_EQ(store.phaseRun(1, 3, Family::kUniform).solvedJobs, 1u);
  EXPECT_EQ(store.phaseRun(1, 3, Family::kUniform).seed, 99u);
  EXPECT_EQ(store.phaseRun(1, 3, Family::kNormal).solvedJobs, 0u);

  EXPECT_EQ(store.reference(2), nullptr);
  SystemReference reference;
  reference.system = 2;
  reference.n = 2;
  store.addReference(reference);
  ASSERT_NE(store.reference(2), nullptr);
  EXPECT_EQ(store.reference(2)->n, 2u);
}

TEST(ResultStoreTest, NothingElseIsWritten) {
  ResultStore store(2, 3);
  store.add(swappedResult());
  EXPECT_EQ(store.solution(1, 1, 2).exact, 0.0);
  EXPECT_EQ(store.solution(0, 0, 3).intervalLow, 0.0);
  EXPECT_EQ(store.phase(1, 1, 3, Family::kNormal), nullptr);
  EXPECT_EQ(store.phase(1, 1, 2, Family::kUniform), nullptr);
  EXPECT_EQ(store.phase(1, 2, 3, Family::kUniform), nullptr);
}

TEST(ResultStoreTest, CountsOfZeroOrLessGiveAnEmptyStore) {
  const ResultStore noSystems(2, 0);
  EXPECT_EQ(noSystems.unknownCount(), 2);
  EXPECT_EQ(noSystems.systemCount(), 0);
  const ResultStore negative(-1, -4);
  EXPECT_EQ(negative.unknownCount(), 0);
  EXPECT_EQ(negative.systemCount(), 0);
}

}  // namespace
}  // namespace linprob
