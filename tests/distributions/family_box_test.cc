#include "distributions/family_box.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "distributions/discretisation.h"
#include "support/pair_entries.h"

namespace linprob {
namespace {

TEST(FamilyBoxTest, CellBoxIsTheHullOfTheCells) {
  // Triangular cells of [0, 4] in 4: midpoints 0.5, 1.5, 2.5, 3.5.
  const RectangleTable cells = triangularCells(2, 4, {0, 1}, {4, 1});
  const FamilyBox box = cellBox(cells, 2);
  EXPECT_FALSE(box.faultyEntry.has_value());
  EXPECT_EQ(box.lower, (std::vector<double>{0.5, 1}));
  EXPECT_EQ(box.upper, (std::vector<double>{3.5, 1}));

  // A width beyond double makes NaN cells in the second entry.
  const RectangleTable wide = uniformCells(2, 3, {0, -1e308}, {1, 1e308});
  EXPECT_EQ(cellBox(wide, 2).faultyEntry, 1u);
}

TEST(FamilyBoxTest, SamplingBoxIsTheRangeOfTheDraws) {
  const FamilyBox normal =
      samplingBox(familyInfo(Family::kNormal),
                  testing::pairEntries({1, 5}, {4, 0}));
  EXPECT_EQ(normal.lower, (std::vector<double>{-79, 5}));
  EXPECT_EQ(normal.upper, (std::vector<double>{81, 5}));
  EXPECT_FALSE(normal.faultyEntry.has_value());

  const FamilyBox uniform = samplingBox(familyInfo(Family::kUniform),
                                         testing::pairEntries({-1, 2}, {3, 2}));
  EXPECT_EQ(uniform.lower, (std::vector<double>{-1, 2}));
  EXPECT_EQ(uniform.upper, (std::vector<double>{3, 2}));
}

}  // namespace
}  // namespace linprob
