#include "distributions/discretisation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace linprob {
namespace {

double entrySum(const RectangleTable& table, std::size_t entry) {
  double sum = 0.0;
  for (const auto& row : table) {
    sum += row[entry].probability;
  }
  return sum;
}

TEST(NormalCellsTest, FiftyCellsOfTheStandardNormal) {
  const RectangleTable table = normalCells(1, 50, {0.0}, {1.0});
  ASSERT_EQ(table.size(), 50u);
  const double w = normalCellWidth(50, 1.0);
  EXPECT_NEAR(w, 0.119628, 1e-6);
  EXPECT_NEAR(table[0][0].value, -25.0 * w, 1e-12);
  EXPECT_NEAR(table[49][0].value, 24.0 * w, 1e-12);
  // Even cell count: the mean itself is cell 25, and the grid has one more
  // point below it than above.
  EXPECT_EQ(table[25][0].value, 0.0);
  for (std::size_t m = 0; m < table.size(); ++m) {
    if (m != 25) {
      EXPECT_LT(table[m][0].probability, table[25][0].probability) << m;
    }
    // Weights are the density at the grid points, not integrals over cells:
    // relative to the centre they follow exp(-x^2 / 2).
    const double x = table[m][0].value;
    EXPECT_NEAR(table[m][0].probability / table[25][0].probability,
                std::exp(-x * x / 2.0), 1e-12)
        << m;
  }
  EXPECT_NEAR(entrySum(table, 0), 1.0, 1e-12);
}

TEST(NormalCellsTest, UsesTheDeviationAndEachEntrysOwnParameters) {
  // Entry 1 has variance 4: deviation 2, so its grid is twice as wide and
  // shifted to its own mean.
  const RectangleTable table = normalCells(2, 10, {0.0, 10.0}, {1.0, 4.0});
  ASSERT_EQ(table.size(), 10u);
  ASSERT_EQ(table[0].size(), 2u);
  const double w1 = normalCellWidth(10, 2.0);
  EXPECT_NEAR(w1, 2.0 * normalCellWidth(10, 1.0), 1e-15);
  for (std::size_t m = 0; m < 10; ++m) {
    EXPECT_NEAR(table[m][1].value, 10.0 + (static_cast<double>(m) - 5.0) * w1,
                1e-12);
    EXPECT_NEAR(table[m][1].value - 10.0, 2.0 * table[m][0].value, 1e-12);
    EXPECT_NEAR(table[m][1].probability, table[m][0].probability, 1e-15);
  }
}

TEST(NormalCellsTest, SingleCellSitsBelowTheMean) {
  const RectangleTable table = normalCells(1, 1, {3.0}, {4.0});
  ASSERT_EQ(table.size(), 1u);
  EXPECT_NEAR(table[0][0].value, 3.0 - 1.12468265 * 2.0, 1e-12);
  EXPECT_EQ(table[0][0].probability, 1.0);
}

TEST(NormalCellsTest, OddCountStartsHalfTheSpanBelowTheMean) {
  // start = mean - (w / 2) * cellCount: -2.5w ... +1.5w, so the mean is no
  // cell value and cells at equal distance keep equal weights.
  const RectangleTable table = normalCells(1, 5, {1.0}, {1.0});
  ASSERT_EQ(table.size(), 5u);
  const double w = normalCellWidth(5, 1.0);
  EXPECT_NEAR(table[0][0].value, 1.0 - 2.5 * w, 1e-12);
  EXPECT_NEAR(table[4][0].value, 1.0 + 1.5 * w, 1e-12);
  EXPECT_NEAR(table[1][0].probability, table[4][0].probability, 1e-15);
}

TEST(TriangularCellsTest, EvenCountUsesCellMidpoints) {
  const RectangleTable table = triangularCells(1, 4, {0.0}, {4.0});
  ASSERT_EQ(table.size(), 4u);
  const double values[] = {0.5, 1.5, 2.5, 3.5};
  const double probabilities[] = {0.125, 0.375, 0.375, 0.125};
  for (std::size_t m = 0; m < 4; ++m) {
    EXPECT_EQ(table[m][0].value, values[m]) << m;
    EXPECT_EQ(table[m][0].probability, probabilities[m]) << m;
  }
}

TEST(TriangularCellsTest, OddCountAnchorsTheUpperHalfAtTheMode) {
  const RectangleTable table = triangularCells(1, 3, {0.0}, {3.0});
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table[0][0].value, 0.5);
  EXPECT_EQ(table[1][0].value, 2.0);
  EXPECT_EQ(table[2][0].value, 3.0);
  EXPECT_EQ(table[0][0].probability, 1.0 / 3.0);
  EXPECT_EQ(table[1][0].probability, 2.0 / 3.0);
  EXPECT_EQ(table[2][0].probability, 0.0);
}

TEST(TriangularCellsTest, LastOddCellNeverGetsANegativeProbability) {
  // Here the last value rounds to a speck above the upper end 2.9.
  const RectangleTable table = triangularCells(1, 3, {-1.3}, {2.9});
  ASSERT_EQ(table.size(), 3u);
  EXPECT_GT(table[2][0].value, 2.9);
  EXPECT_EQ(table[2][0].probability, 0.0);
  EXPECT_EQ(table[0][0].probability + table[1][0].probability, 1.0);
}

TEST(TriangularCellsTest, SingleCellIsTheMode) {
  // Its only weight is zero; the entry falls back to the mode rather than
  // dividing 0 by 0.
  const RectangleTable table = triangularCells(2, 1, {0.1, -2.0}, {0.7, 5.0});
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(table[0][0].value, (0.1 + 0.7) / 2.0);
  EXPECT_EQ(table[0][0].probability, 1.0);
  EXPECT_EQ(table[0][1].value, 1.5);
  EXPECT_EQ(table[0][1].probability, 1.0);
}

TEST(UniformCellsTest, LowerEdgesWithEqualShares) {
  const RectangleTable table = uniformCells(2, 4, {0.0, -1.0}, {1.0, 1.0});
  ASSERT_EQ(table.size(), 4u);
  const double values0[] = {0.0, 0.25, 0.5, 0.75};
  const double values1[] = {-1.0, -0.5, 0.0, 0.5};
  for (std::size_t m = 0; m < 4; ++m) {
    EXPECT_EQ(table[m][0].value, values0[m]) << m;
    EXPECT_EQ(table[m][1].value, values1[m]) << m;
    EXPECT_EQ(table[m][0].probability, 0.25);
    EXPECT_EQ(table[m][1].probability, 0.25);
  }
}

TEST(DegenerateEntriesTest, KnownConstantsTakeEveryCell) {
  // Entry 1 of each table is degenerate, entry 0 an ordinary neighbour.
  const RectangleTable normal = normalCells(2, 3, {0.0, 5.0}, {1.0, 0.0});
  const RectangleTable triangular =
      triangularCells(2, 3, {0.0, 2.0}, {3.0, 2.0});
  const RectangleTable uniform = uniformCells(2, 3, {0.0, 2.0}, {3.0, 2.0});
  const double constants[] = {5.0, 2.0, 2.0};
  const RectangleTable* tables[] = {&normal, &triangular, &uniform};
  for (std::size_t t = 0; t < 3; ++t) {
    const RectangleTable& table = *tables[t];
    ASSERT_EQ(table.size(), 3u);
    for (const auto& row : table) {
      EXPECT_EQ(row[1].value, constants[t]) << t;
      EXPECT_EQ(row[1].probability, 1.0 / 3.0) << t;
      EXPECT_FALSE(std::isnan(row[0].probability)) << t;
    }
    EXPECT_NEAR(entrySum(table, 0), 1.0, 1e-15) << t;
  }
}

TEST(DegenerateEntriesTest, NegativeVarianceIsRefusedByTheDensity) {
  EXPECT_THROW(normalCells(1, 3, {0.0}, {-1.0}), std::domain_error);
}

TEST(DegenerateEntriesTest, NoCellsGiveAnEmptyTable) {
  EXPECT_TRUE(normalCells(2, 0, {0.0, 0.0}, {1.0, 1.0}).empty());
  EXPECT_TRUE(triangularCells(2, 0, {0.0, 0.0}, {1.0, 1.0}).empty());
  EXPECT_TRUE(uniformCells(2, -1, {0.0, 0.0}, {1.0, 1.0}).empty());
}

}  // namespace
}  // namespace linprob
