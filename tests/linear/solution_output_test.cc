#include "linear/solution_output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "linear/step_replay.h"

namespace linprob {
namespace {

TEST(SolutionOutputTest, LinesFollowPositionsAndNameTheUnknowns) {
  // Rows 1 2 and 0 1 with column pivoting: columns 0 and 1 are exchanged at
  // once, so position 0 holds unknown 1. The solution is x0 = 1, x1 = 2.
  LinearSystem system(2);
  system.matrix = {{1, 0}, {2, 1}};
  system.eliminate(false, true);
  ASSERT_EQ(system.columnOrder, (std::vector<unsigned>{1, 0}));
  std::vector<Interval> solution{Interval(5), Interval(2)};
  replaySteps(solution, system.steps);
  std::ostringstream out;
  printBounds(solution, system, out);
  EXPECT_EQ(out.str(),
            "Variable number 1 has bounds: 2 to 2\n"
            "Variable number 0 has bounds: 1 to 1\n");
}

TEST(SolutionOutputTest, NumbersUseTheDefaultSixDigitFormat) {
  LinearSystem system(3);
  const double third = 1.0 / 3.0;
  // Two bounds one rounding step apart print as the same text.
  const std::vector<Interval> solution{
      Interval(third, std::nextafter(third, 1.0)), Interval(1e-7, 2.5e6),
      Interval(-1234567.0, 100000.0)};
  std::ostringstream out;
  printBounds(solution, system, out);
  EXPECT_EQ(out.str(),
            "Variable number 0 has bounds: 0.333333 to 0.333333\n"
            "Variable number 1 has bounds: 1e-07 to 2.5e+06\n"
            "Variable number 2 has bounds: -1.23457e+06 to 100000\n");
}

TEST(SolutionOutputTest, StoredUnderTheInputIndex) {
  LinearSystem system(2);
  system.columnOrder = {1, 0};
  ResultStore store(2, 3, 4, 3);
  const std::vector<Interval> real{Interval(2, 2.5), Interval(1, 1.5)};
  const std::vector<Interval> box{Interval(-1, 3), Interval(-2, 4)};
  storeExactValues(real, system, store, 2, 3);
  storeIntervalValues(box, system, store, 2, 3);
  // Position 0 holds unknown 1; only the lower end is the exact value.
  EXPECT_EQ(store.exactValue[1][2][3], 2.0);
  EXPECT_EQ(store.exactValue[0][2][3], 1.0);
  EXPECT_EQ(store.intervalLow[1][2][3], -1.0);
  EXPECT_EQ(store.intervalHigh[1][2][3], 3.0);
  EXPECT_EQ(store.intervalLow[0][2][3], -2.0);
  EXPECT_EQ(store.intervalHigh[0][2][3], 4.0);
  // No other cell is written.
  EXPECT_EQ(store.exactValue[1][2][2], 0.0);
  EXPECT_EQ(store.intervalLow[0][1][3], 0.0);
}

}  // namespace
}  // namespace linprob
