#include "linear/system_files.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace linprob {
namespace {

using testing::TempDir;

TEST(SystemFilesTest, MatrixIsReadRowByRowAndStoredByColumns) {
  TempDir dir;
  for (const char* text : {"1 2 3 4", "1 2\n3 4\n", "1\n2\n3\n4 5 six\n"}) {
    LinearSystem system(2);
    EXPECT_EQ(loadMatrix(dir.write("Matice.txt", text), system).message(), "") << text;
    EXPECT_EQ(system.matrix(),
              (std::vector<std::vector<double>>{{1, 3}, {2, 4}}))
        << text;
  }
}

TEST(SystemFilesTest, MatrixProblemLeavesTheMatrixUntouched) {
  TempDir dir;
  LinearSystem system(2);
  EXPECT_EQ(loadMatrix(dir.write("Matice.txt", "1 2 3"), system).message(),
            "only 3 of the 4 numbers needed");
  EXPECT_EQ(loadMatrix(dir.path("absent.txt"), system).message(), "missing");
  EXPECT_EQ(system.matrix(),
            std::vector<std::vector<double>>(2, std::vector<double>(2, 0.0)));
}

TEST(SystemFilesTest, RealRhsGivesDegenerateIntervals) {
  TempDir dir;
  std::vector<Interval> rhs;
  EXPECT_EQ(loadRealRhs(dir.write("RealRHS.txt", "1.5\n-2 9"), 2, rhs).message(), "");
  ASSERT_EQ(rhs.size(), 2u);
  EXPECT_EQ(rhs[0].lower(), 1.5);
  EXPECT_EQ(rhs[0].upper(), 1.5);
  EXPECT_EQ(rhs[1].lower(), -2.0);
  EXPECT_EQ(rhs[1].upper(), -2.0);

  std::vector<Interval> untouched;
  EXPECT_EQ(loadRealRhs(dir.write("bad.txt", "1 x"), 2, untouched).message(),
            "\"x\" is not a number");
  EXPECT_TRUE(untouched.empty());
}

TEST(SystemFilesTest, IntervalRhsReadsLowerThenUpper) {
  TempDir dir;
  std::vector<Interval> rhs;
  EXPECT_EQ(loadIntervalRhs(dir.write("IntRHS.txt", "0.5 1.5\n2 2\n"), 2, rhs).message(),
            "");
  ASSERT_EQ(rhs.size(), 2u);
  EXPECT_EQ(rhs[0].lower(), 0.5);
  EXPECT_EQ(rhs[0].upper(), 1.5);
  EXPECT_EQ(rhs[1].lower(), 2.0);
  EXPECT_EQ(rhs[1].upper(), 2.0);
}

TEST(SystemFilesTest, ReversedIntervalPairIsRefusedBeforeAnythingIsBuilt) {
  TempDir dir;
  std::vector<Interval> rhs;
  EXPECT_EQ(loadIntervalRhs(dir.write("IntRHS.txt", "0 1  1 2  3 1"), 3, rhs).message(),
            "pair 2 has its lower end above its upper end (3 > 1)");
  // Ends that differ past six digits are told apart.
  EXPECT_EQ(loadIntervalRhs(dir.write("IntRHS.txt", "1.0000001 1"), 1, rhs)
                .message(),
            "pair 0 has its lower end above its upper end (1.0000001 > 1)");
  EXPECT_TRUE(rhs.empty());
  EXPECT_EQ(loadIntervalRhs(dir.write("short.txt", "0 1 2"), 2, rhs).message(),
            "only 3 of the 4 numbers needed");
  EXPECT_TRUE(rhs.empty());
}

TEST(SystemFilesTest, SingleUnknown) {
  TempDir dir;
  LinearSystem system(1);
  EXPECT_EQ(loadMatrix(dir.write("Matice.txt", "7"), system).message(), "");
  EXPECT_EQ(system.matrix()[0][0], 7.0);
  std::vector<Interval> real;
  std::vector<Interval> box;
  EXPECT_EQ(loadRealRhs(dir.write("RealRHS.txt", "3"), 1, real).message(), "");
  EXPECT_EQ(loadIntervalRhs(dir.write("IntRHS.txt", "-1 4"), 1, box).message(), "");
  EXPECT_EQ(real[0].lower(), 3.0);
  EXPECT_EQ(box[0].lower(), -1.0);
  EXPECT_EQ(box[0].upper(), 4.0);
}

}  // namespace
}  // namespace linprob
