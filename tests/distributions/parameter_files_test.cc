#include "distributions/parameter_files.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "distributions/discretisation.h"

namespace linprob {
namespace {

using Problems = std::vector<std::string>;

bool sameCells(const RectangleTable& a, const RectangleTable& b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t m = 0; m < a.size(); ++m) {
    if (a[m].size() != b[m].size()) {
      return false;
    }
    for (std::size_t i = 0; i < a[m].size(); ++i) {
      if (a[m][i].value != b[m][i].value ||
          a[m][i].probability != b[m][i].probability) {
        return false;
      }
    }
  }
  return true;
}

class ParameterFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    directory_ = std::filesystem::path(testing::TempDir()) /
                 (std::string("linprob_parameters_") + info->name());
    std::filesystem::remove_all(directory_);
    std::filesystem::create_directories(directory_);
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }

  std::string write(const std::string& name, const std::string& text) {
    const std::string path = (directory_ / name).string();
    std::ofstream(path) << text;
    return path;
  }

  std::string missing() const { return (directory_ / "absent.txt").string(); }

  std::filesystem::path directory_;
};

TEST_F(ParameterFilesTest, ReadingProblemsAreReportedAsTheReaderSaysThem) {
  EXPECT_EQ(checkParameterFile(missing(), 2, ParameterKind::kNormal),
            Problems{"missing"});
  EXPECT_EQ(checkParameterFile(write("short.txt", "1 2\n3\n"), 2,
                               ParameterKind::kBounds),
            Problems{"only 3 of the 4 numbers needed"});
  EXPECT_EQ(checkParameterFile(write("word.txt", "1 abc\n"), 1,
                               ParameterKind::kNormal),
            Problems{"\"abc\" is not a number"});
}

TEST_F(ParameterFilesTest, ParameterProblemsNameThePair) {
  EXPECT_EQ(checkParameterFile(write("normal.txt", "0 1\n5 -2\n"), 2,
                               ParameterKind::kNormal),
            Problems{"pair 1 has a negative variance (-2)"});
  EXPECT_EQ(checkParameterFile(write("bounds.txt", "0 1\n3 1\n"), 2,
                               ParameterKind::kBounds),
            Problems{"pair 1 has its lower end above its upper end (3 > 1)"});
  // Every faulty pair is reported, in order.
  EXPECT_EQ(checkParameterFile(write("both.txt", "0 -0.5\n1 2\n4 -1e-3\n"), 3,
                               ParameterKind::kNormal),
            (Problems{"pair 0 has a negative variance (-0.5)",
                      "pair 2 has a negative variance (-0.001)"}));
}

TEST_F(ParameterFilesTest, SoundFilesGiveNoProblem) {
  // Pairs split over lines, several on one line, zero variance, equal ends
  // and trailing numbers beyond the 2n read are all fine.
  const std::string path = write("sound.txt", "10\n4 2 0\n-1 0.5 99 -5\n");
  EXPECT_TRUE(checkParameterFile(path, 3, ParameterKind::kNormal).empty());
  const std::string bounds = write("bounds.txt", "1 3 2 2\n");
  EXPECT_TRUE(checkParameterFile(bounds, 2, ParameterKind::kBounds).empty());
}

TEST_F(ParameterFilesTest, EnumerationBuildsTheFamilysCells) {
  const std::string normal = write("NormalRHS.txt", "10 4\n0 0\n");
  const std::string uniform = write("UniformRHS.txt", "1 3 2 2 8 9\n");
  PhaseJobs jobs;
  EXPECT_EQ(loadPhaseJobs(Family::kNormal, normal, 2, 3, true, jobs).message(), "");
  EXPECT_TRUE(jobs.enumerate);
  EXPECT_EQ(jobs.enumeration.n, 2u);
  EXPECT_TRUE(
      sameCells(jobs.enumeration.cells, normalCells(2, 3, {10, 0}, {4, 0})));
  EXPECT_EQ(jobs.enumeration.jobCount(), 9u);

  // The file holds a variance: one cell sits 1.12468265 deviations (2) below
  // the mean.
  EXPECT_EQ(loadPhaseJobs(Family::kNormal, normal, 1, 1, true, jobs).message(), "");
  ASSERT_EQ(jobs.enumeration.cells.size(), 1u);
  EXPECT_NEAR(jobs.enumeration.cells[0][0].value, 10.0 - 1.12468265 * 2.0,
              1e-12);

  // Only the first n pairs are used.
  EXPECT_EQ(loadPhaseJobs(Family::kTriangular, uniform, 2, 4, true, jobs).message(), "");
  EXPECT_TRUE(sameCells(jobs.enumeration.cells,
                        triangularCells(2, 4, {1.0, 2.0}, {3.0, 2.0})));
  EXPECT_EQ(loadPhaseJobs(Family::kUniform, uniform, 3, 2, true, jobs).message(), "");
  EXPECT_TRUE(sameCells(jobs.enumeration.cells,
                        uniformCells(3, 2, {1.0, 2.0, 8.0}, {3.0, 2.0, 9.0})));
}

TEST_F(ParameterFilesTest, SamplingKeepsTheParametersAndASeed) {
  const std::string uniform = write("UniformRHS.txt", "1 3\n2 2\n");
  const Family families[] = {Family::kTriangular, Family::kUniform};
  for (Family family : families) {
    PhaseJobs jobs;
    EXPECT_EQ(loadPhaseJobs(family, uniform, 2, 7, false, jobs).message(), "");
    EXPECT_FALSE(jobs.enumerate);
    const SamplingJobs& sampling = jobs.sampling;
    EXPECT_EQ(sampling.n, 2u);
    EXPECT_EQ(sampling.family, family);
    EXPECT_EQ(sampling.first, (std::vector<double>{1.0, 2.0}));
    EXPECT_EQ(sampling.second, (std::vector<double>{3.0, 2.0}));
    EXPECT_EQ(sampling.sampleCount, 7);
  }
  // Every phase is seeded afresh (equal seeds: one chance in 2^64), unless
  // the caller gives the seed.
  PhaseJobs first;
  PhaseJobs second;
  EXPECT_TRUE(loadPhaseJobs(Family::kNormal, uniform, 2, 7, false, first).ok());
  EXPECT_TRUE(loadPhaseJobs(Family::kNormal, uniform, 2, 7, false, second).ok());
  EXPECT_NE(first.sampling.seed, second.sampling.seed);
  EXPECT_TRUE(loadPhaseJobs(Family::kNormal, uniform, 2, 7, false, second,
                            0xfedcba9876543210u)
                  .ok());
  EXPECT_EQ(second.sampling.seed, 0xfedcba9876543210u);
}

TEST_F(ParameterFilesTest, UnreadableFileGivesAPhaseWithoutJobs) {
  PhaseJobs jobs;
  EXPECT_EQ(loadPhaseJobs(Family::kNormal, write("NormalRHS.txt", "1 1\n"), 1,
                          3, true, jobs).message(),
            "");
  EXPECT_EQ(loadPhaseJobs(Family::kUniform, missing(), 2, 3, true, jobs).message(),
            "missing");
  EXPECT_TRUE(jobs.enumerate);
  EXPECT_EQ(jobs.enumeration.jobCount(), 0u);
  EXPECT_EQ(loadPhaseJobs(Family::kNormal, write("short.txt", "1"), 1, 3,
                          false, jobs).message(),
            "only 1 of the 2 numbers needed");
  EXPECT_EQ(jobs.enumeration.jobCount(), 0u);
}

}  // namespace
}  // namespace linprob
