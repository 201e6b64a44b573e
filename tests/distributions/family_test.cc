#include "distributions/family.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>


namespace linprob {
namespace {

TEST(FamilyTest, MomentsOfEachFamily) {
  const EntryParameters pairs{2, {1, 3, -2, 4}};
  const auto normal = familyMoments(familyInfo(Family::kNormal), pairs);
  EXPECT_EQ(normal[0].mean, 1.0);
  EXPECT_EQ(normal[0].variance, 3.0);
  EXPECT_EQ(normal[1].mean, -2.0);
  EXPECT_EQ(normal[1].variance, 4.0);

  // Bounds [1, 3] and [-2, 4]: widths 2 and 6.
  const auto uniform = familyMoments(familyInfo(Family::kUniform), pairs);
  EXPECT_EQ(uniform[0].mean, 2.0);
  EXPECT_EQ(uniform[0].variance, 4.0 / 12.0);
  EXPECT_EQ(uniform[1].mean, 1.0);
  EXPECT_EQ(uniform[1].variance, 3.0);

  const auto triangular = familyMoments(familyInfo(Family::kTriangular), pairs);
  EXPECT_EQ(triangular[0].variance, 4.0 / 24.0);
  EXPECT_EQ(triangular[1].mean, 1.0);
  EXPECT_EQ(triangular[1].variance, 1.5);
}

TEST(FamilyTest, TableIsInPhaseOrderWithEachFamilysFile) {
  ASSERT_EQ(kFamilies.size(), 3u);
  for (std::size_t k = 0; k < kFamilies.size(); ++k) {
    EXPECT_EQ(static_cast<std::size_t>(kFamilies[k].family), k);
  }
  EXPECT_STREQ(parameterFileOf(familyInfo(Family::kNormal)), "NormalRHS.txt");
  EXPECT_STREQ(parameterFileOf(familyInfo(Family::kTriangular)),
               "UniformRHS.txt");
  EXPECT_STREQ(familyInfo(Family::kUniform).modeWord, " Mode");
}

}  // namespace
}  // namespace linprob
