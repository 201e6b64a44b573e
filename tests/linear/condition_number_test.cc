#include "linear/condition_number.h"

#include <gtest/gtest.h>

#include <vector>

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

}  // namespace
}  // namespace linprob
