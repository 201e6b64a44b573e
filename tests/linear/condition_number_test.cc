#include "linear/condition_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "linear/step_replay.h"

namespace linprob {
namespace {

// Rows as written in Matice.txt.
LinearSystem loaded(const std::vector<std::vector<double>>& rows) {
  LinearSystem system(static_cast<unsigned>(rows.size()));
  for (unsigned r = 0; r < rows.size(); ++r) {
    for (unsigned c = 0; c < rows.size(); ++c) system.setCoefficient(r, c, rows[r][c]);
  }
  return system;
}

double kappa(const LinearSystem& system, const PivotMode& mode) {
  LinearSystem eliminated = system;
  eliminated.eliminate(mode);
  return conditionNumber(system, eliminated);
}

TEST(ConditionNumberTest, TwoByTwoUnderEveryMode) {
  // A^-1 = [[-2, 1], [1.5, -0.5]]: ||A|| = 7, ||A^-1|| = 3.
  const LinearSystem system = loaded({{1, 2}, {3, 4}});
  EXPECT_EQ(matrixNorm(system), 7.0);
  for (const PivotMode& mode : kPivotModes) {
    // The computed inverse carries the elimination's roundings.
    EXPECT_NEAR(kappa(system, mode), 21.0, 21.0 * 1e-14) << mode.label;
  }
}

// 70 unknowns, more than one group of unit vectors: L with 1 on the
// diagonal and -1 below it has the inverse of all ones on and below the
// diagonal, so ||L|| = 2, ||L^-1|| = 70, all in exact arithmetic.
TEST(ConditionNumberTest, UnitVectorsInSeveralGroups) {
  std::vector<std::vector<double>> rows(70, std::vector<double>(70, 0.0));
  for (unsigned r = 0; r < 70; ++r) {
    rows[r][r] = 1.0;
    if (r > 0) rows[r][r - 1] = -1.0;
  }
  for (const PivotMode& mode : kPivotModes) {
    EXPECT_EQ(kappa(loaded(rows), mode), 140.0) << mode.label;
  }
}

// The Hilbert matrix of order 6 has kappa_inf = 29070279 (its inverse is
// known in integers). The estimate is wanted to a few per cent; rounding
// puts it within kappa * 2^-52, far inside the 1% asked here.
TEST(ConditionNumberTest, HilbertMatrixToAFewPerCent) {
  std::vector<std::vector<double>> rows(6, std::vector<double>(6));
  for (unsigned r = 0; r < 6; ++r) {
    for (unsigned c = 0; c < 6; ++c) rows[r][c] = 1.0 / (r + c + 1);
  }
  for (const PivotMode& mode : kPivotModes) {
    EXPECT_NEAR(kappa(loaded(rows), mode), 29070279.0, 290702.79)
        << mode.label;
  }
}

// The unit vectors one at a time through the plain replay, their row sums
// in column order: every bit of the estimate, whichever replay computes it.
TEST(ConditionNumberTest, SameBitsAsTheUnitVectorsReplayedOneByOne) {
  std::mt19937_64 random(3);
  std::uniform_real_distribution<double> entry(-1.0, 1.0);
  for (const unsigned n : {5u, 9u, 40u, 130u}) {
    std::vector<std::vector<double>> rows(n, std::vector<double>(n));
    for (auto& row : rows) {
      for (double& a : row) a = entry(random);
    }
    const LinearSystem system = loaded(rows);
    for (const PivotMode& mode : kPivotModes) {
      LinearSystem eliminated = system;
      eliminated.eliminate(mode);
      std::vector<double> rowSums(n, 0.0);
      for (unsigned j = 0; j < n; ++j) {
        std::vector<double> unit(n, 0.0);
        unit[j] = 1.0;
        replaySteps(unit, eliminated.steps());
        for (unsigned k = 0; k < n; ++k) {
          rowSums[eliminated.columnOrder()[k]] += std::fabs(unit[k]);
        }
      }
      double largest = 0.0;
      for (const double sum : rowSums) largest = sum > largest ? sum : largest;
      const double expected = matrixNorm(system) * largest;
      const double got = conditionNumber(system, eliminated);
      EXPECT_EQ(std::memcmp(&got, &expected, sizeof got), 0)
          << n << " " << mode.label << ": " << got << " " << expected;
    }
  }
}

}  // namespace
}  // namespace linprob
