#include "distributions/family.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace linprob {
namespace {

using testing::TempDir;

TEST(FamilyTest, MomentsOfEachFamily) {
  TempDir dir;
  const std::string path = dir.write("pairs.txt", "1 3\n-2 4\n");
  const auto normal = readFamilyMoments(Family::kNormal, path, 2);
  ASSERT_TRUE(normal.ok());
  EXPECT_EQ(normal.value()[0].mean, 1.0);
  EXPECT_EQ(normal.value()[0].variance, 3.0);
  EXPECT_EQ(normal.value()[1].mean, -2.0);
  EXPECT_EQ(normal.value()[1].variance, 4.0);

  // Bounds [1, 3] and [-2, 4]: widths 2 and 6.
  const auto uniform = readFamilyMoments(Family::kUniform, path, 2);
  ASSERT_TRUE(uniform.ok());
  EXPECT_EQ(uniform.value()[0].mean, 2.0);
  EXPECT_EQ(uniform.value()[0].variance, 4.0 / 12.0);
  EXPECT_EQ(uniform.value()[1].mean, 1.0);
  EXPECT_EQ(uniform.value()[1].variance, 3.0);

  const auto triangular = readFamilyMoments(Family::kTriangular, path, 2);
  ASSERT_TRUE(triangular.ok());
  EXPECT_EQ(triangular.value()[0].variance, 4.0 / 24.0);
  EXPECT_EQ(triangular.value()[1].mean, 1.0);
  EXPECT_EQ(triangular.value()[1].variance, 1.5);
}

TEST(FamilyTest, FaultyFilesGiveNoMoments) {
  TempDir dir;
  EXPECT_EQ(readFamilyMoments(Family::kNormal, dir.write("short.txt", "1 3 -2"),
                              2)
                .status()
                .message(),
            "only 3 of the 4 numbers needed");
  EXPECT_EQ(readFamilyMoments(Family::kUniform, dir.path("absent.txt"), 1)
                .status()
                .message(),
            "missing");
}

TEST(FamilyTest, TableIsInPhaseOrderWithEachFamilysFile) {
  ASSERT_EQ(kFamilies.size(), 3u);
  for (std::size_t k = 0; k < kFamilies.size(); ++k) {
    EXPECT_EQ(static_cast<std::size_t>(kFamilies[k].family), k);
  }
  EXPECT_STREQ(familyInfo(Family::kNormal).parameterFile, "NormalRHS.txt");
  EXPECT_STREQ(familyInfo(Family::kTriangular).parameterFile, "UniformRHS.txt");
  EXPECT_STREQ(familyInfo(Family::kUniform).modeWord, " Mode");
}

}  // namespace
}  // namespace linprob
