#include "results/result_store.h"

#include <gtest/gtest.h>

namespace linprob {
namespace {

TEST(ResultStoreTest, TablesHaveTheRequestedShape) {
  const ResultStore store(2, 3, 4, 3);
  EXPECT_EQ(store.variableCount, 2);
  EXPECT_EQ(store.matrixCount, 3);
  EXPECT_EQ(store.pivotModeCount, 4);
  EXPECT_EQ(store.distributionCount, 3);
  for (const auto* table :
       {&store.exactValue, &store.intervalLow, &store.intervalHigh}) {
    ASSERT_EQ(table->size(), 2u);
    ASSERT_EQ((*table)[1].size(), 3u);
    EXPECT_EQ((*table)[1][2].size(), 4u);
  }
  for (const auto* table : {&store.bins, &store.upperTail, &store.lowerTail}) {
    ASSERT_EQ(table->size(), 2u);
    ASSERT_EQ((*table)[1].size(), 3u);
    ASSERT_EQ((*table)[1][2].size(), 4u);
    ASSERT_EQ((*table)[1][2][3].size(), 3u);
    EXPECT_TRUE((*table)[1][2][3][2].empty());
  }
}

TEST(ResultStoreTest, CountsOfZeroOrLessGiveEmptyLevels) {
  const ResultStore noSystems(2, 0, 4, 3);
  ASSERT_EQ(noSystems.exactValue.size(), 2u);
  EXPECT_TRUE(noSystems.exactValue[0].empty());
  EXPECT_TRUE(noSystems.bins[1].empty());
  const ResultStore negative(-1, 2, 4, 3);
  EXPECT_TRUE(negative.exactValue.empty());
  EXPECT_TRUE(negative.lowerTail.empty());
}

TEST(ResultStoreTest, StoreProbabilityAssignsOneSide) {
  ProbabilityMap map;
  storeProbability(map, 0.5, 0.25, true);
  storeProbability(map, 0.7, 0.125, false);
  EXPECT_EQ(map.at(0.5), std::make_pair(0.25, 0.0));
  EXPECT_EQ(map.at(0.7), std::make_pair(0.0, 0.125));

  // The other side joins the same entry and keeps the first.
  storeProbability(map, 0.5, 0.375, false);
  storeProbability(map, 0.7, 0.0625, true);
  EXPECT_EQ(map.at(0.5), std::make_pair(0.25, 0.375));
  EXPECT_EQ(map.at(0.7), std::make_pair(0.0625, 0.125));

  // A second write on the same side replaces, never adds.
  storeProbability(map, 0.5, 0.5, true);
  storeProbability(map, 0.7, 0.75, false);
  EXPECT_EQ(map.at(0.5), std::make_pair(0.5, 0.375));
  EXPECT_EQ(map.at(0.7), std::make_pair(0.0625, 0.75));
  EXPECT_EQ(map.size(), 2u);
}

TEST(ResultStoreTest, KeysMatchOnlyExactly) {
  ProbabilityMap map;
  storeProbability(map, 0.1 + 0.2, 1.0, true);
  storeProbability(map, 0.3, 2.0, false);
  EXPECT_EQ(map.size(), 2u);
}

}  // namespace
}  // namespace linprob
