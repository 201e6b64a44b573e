#include "linear/system_files.h"

#include <gtest/gtest.h>

#include <vector>

namespace linprob {
namespace {

TEST(SystemFilesTest, MatrixIsReadRowByRowAndStoredByColumns) {
  LinearSystem system(2);
  setMatrixRows({1, 2, 3, 4}, system);
  EXPECT_EQ(system.matrix(),
            (std::vector<std::vector<double>>{{1, 3}, {2, 4}}));
  LinearSystem single(1);
  setMatrixRows({7}, single);
  EXPECT_EQ(single.matrix()[0][0], 7.0);
}

TEST(SystemFilesTest, ReversedIntervalPairIsRefused) {
  EXPECT_TRUE(checkIntervalPairs({0.5, 1.5, 2, 2}).ok());
  EXPECT_EQ(checkIntervalPairs({0, 1, 1, 2, 3, 1}).message(),
            "pair 2 has its lower end above its upper end (3 > 1)");
  // Ends that differ past six digits are told apart.
  EXPECT_EQ(checkIntervalPairs({1.0000001, 1}).message(),
            "pair 0 has its lower end above its upper end (1.0000001 > 1)");
}

}  // namespace
}  // namespace linprob
