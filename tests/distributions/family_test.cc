#include "distributions/family.h"

#include <gtest/gtest.h>

#include <stdexcept>
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

// A family takes its entries' numbers from its kind's file, as many as n
// entries of the kind's width, and refuses fewer.
TEST(FamilyTest, EntriesComeFromTheKindsNumbers) {
  const EntryParameters entries =
      entryParameters(familyInfo(Family::kUniform), {1, 3, -2, 4, 9}, 2);
  EXPECT_EQ(entries.size(), 2u);
  EXPECT_EQ(std::vector<double>(entries.entry(1).begin(), entries.entry(1).end()),
            (std::vector<double>{-2, 4}));
  try {
    (void)entryParameters(familyInfo(Family::kNormal), {1, 3, -2}, 2);
    ADD_FAILURE() << "three numbers were taken for two entries";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(),
                 "family parameters: NormalRHS.txt holds 3 numbers, not 4");
  }
}

TEST(FamilyTest, TableIsInPhaseOrderWithEachFamilysFile) {
  ASSERT_EQ(kFamilies.size(), 5u);
  for (std::size_t k = 0; k < kFamilies.size(); ++k) {
    EXPECT_EQ(static_cast<std::size_t>(kFamilies[k].family), k);
  }
  EXPECT_STREQ(parameterFileOf(familyInfo(Family::kNormal)), "NormalRHS.txt");
  EXPECT_STREQ(parameterFileOf(familyInfo(Family::kTriangular)),
               "UniformRHS.txt");
  EXPECT_STREQ(familyInfo(Family::kUniform).modeWord, " Mode");
  EXPECT_STREQ(parameterFileOf(familyInfo(Family::kLognormal)),
               "LognormalRHS.txt");
  EXPECT_STREQ(parameterFileOf(familyInfo(Family::kData)), "DataRHS.txt");
  // The three families every system has; the lognormal and the data
  // family where their files are.
  EXPECT_EQ(requiredFamilies(), FamilySet(0b00111));
}

}  // namespace
}  // namespace linprob
