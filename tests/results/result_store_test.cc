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
  result.plainReplay = {2.25, 1.25};
  result.plainReplayBounds = {Interval(2, 2.5), Interval(1, 1.5)};
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
  // Position 0 holds unknown 1; the point is the exact value, beside the
  // bounds of its interval replay.
  EXPECT_EQ(store.solution(1, 1, 3).plainReplay, 2.25);
  EXPECT_EQ(store.solution(0, 1, 3).plainReplay, 1.25);
  EXPECT_EQ(store.solution(1, 1, 3).plainReplayLow, 2.0);
  EXPECT_EQ(store.solution(1, 1, 3).plainReplayHigh, 2.5);
  EXPECT_EQ(store.solution(0, 1, 3).plainReplayLow, 1.0);
  EXPECT_EQ(store.solution(0, 1, 3).plainReplayHigh, 1.5);
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
  result.phases[0].seed = 99;
  store.add(result);
  const StoredElimination& elimination = store.elimination(1, 3);
  EXPECT_TRUE(elimination.stored);
  EXPECT_EQ(elimination.pivotGrowth, 2.5);
  EXPECT_EQ(elimination.columnOrder, (std::vector<unsigned>{1, 0}));
  EXPECT_FALSE(store.elimination(1, 2).stored);
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

TEST(ResultStoreTest, MeasuresThePointAgainstTheSystemsReferences) {
  ResultStore store(2, 3);
  store.add(swappedResult());
  // Without references there is nothing to measure against.
  EXPECT_EQ(store.measures(1, 1, 3).forwardErrorUlps, std::nullopt);
  EXPECT_EQ(store.measures(1, 1, 3).intervalOverestimation, std::nullopt);

  SystemReference reference;
  reference.system = 1;
  reference.n = 2;
  ExactReference& exact = reference.exact.emplace();
  // Unknown 1's point is 2.25 and its interval replay [2, 2.5]: the
  // forward error is the point's, 2^-50 (0.25) in places of 2^-51, not
  // that of an end of the bounds.
  exact.trueSolution = {1.25, 2.25 - 0x1p-50};
  exact.hull = {ValueBounds{-0.5, 2.5}, ValueBounds{0.0, 2.0}};
  store.addReference(reference);
  EXPECT_EQ(store.measures(1, 1, 3).forwardErrorUlps, 2.0);
  EXPECT_EQ(store.measures(0, 1, 3).forwardErrorUlps, std::nullopt);
  // [-1, 3] over a hull of width 2, [-2, 4] over one of width 3.
  EXPECT_EQ(store.measures(1, 1, 3).intervalOverestimation, 2.0);
  EXPECT_EQ(store.measures(0, 1, 3).intervalOverestimation, 2.0);
}

TEST(ResultStoreTest, NothingElseIsWritten) {
  ResultStore store(2, 3);
  store.add(swappedResult());
  EXPECT_EQ(store.solution(1, 1, 2).plainReplay, 0.0);
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
