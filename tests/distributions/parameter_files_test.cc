#include "distributions/parameter_files.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "distributions/discretisation.h"
#include "distributions/sampling.h"

namespace linprob {
namespace {

using Problems = std::vector<std::string>;

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

TEST_F(ParameterFilesTest, EnumerationProducesEveryCombinationThenTheStopper) {
  const std::string normal = write("NormalRHS.txt", "10 4\n0 0\n");
  const std::string uniform = write("UniformRHS.txt", "1 3 2 2 8 9\n");
  JobQueue jobs;
  testing::internal::CaptureStdout();
  produceNormalJobs(normal, jobs, 2, 3, true, 2);
  ASSERT_EQ(jobs.size(), 10u);
  EXPECT_TRUE(isStopper(jobs.back()));
  for (std::size_t k = 0; k + 1 < jobs.size(); ++k) {
    EXPECT_EQ(jobs[k].rhs.size(), 2u);
    EXPECT_EQ(jobs[k].rhs[1], 0.0);  // the constant entry
  }
  jobs.clear();

  // The file holds a variance: one cell sits 1.12468265 deviations (2) below
  // the mean.
  produceNormalJobs(normal, jobs, 1, 1, true, 1);
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_NEAR(jobs[0].rhs[0], 10.0 - 1.12468265 * 2.0, 1e-12);
  jobs.clear();

  produceTriangularJobs(uniform, jobs, 2, 4, true, 3);
  ASSERT_EQ(jobs.size(), 17u);
  const RectangleTable cells = triangularCells(2, 4, {1.0, 2.0}, {3.0, 2.0});
  double total = 0.0;
  for (std::size_t k = 0; k + 1 < jobs.size(); ++k) {
    const double value = jobs[k].rhs[0];
    const auto m = static_cast<std::size_t>((value - 1.0) / 0.5);
    ASSERT_LT(m, cells.size());
    EXPECT_EQ(value, cells[m][0].value);
    EXPECT_EQ(jobs[k].rhs[1], 2.0);
    total += jobs[k].probability;
  }
  EXPECT_NEAR(total, 1.0, 1e-15);
  jobs.clear();

  produceUniformJobs(uniform, jobs, 2, 2, true, 1);
  ASSERT_EQ(jobs.size(), 5u);
  EXPECT_EQ(jobs[0].rhs, (std::vector<double>{1.0, 2.0}));
  EXPECT_EQ(jobs[2].rhs, (std::vector<double>{2.0, 2.0}));
  EXPECT_EQ(jobs[0].probability, 0.25);
  testing::internal::GetCapturedStdout();
}

TEST_F(ParameterFilesTest, SamplingProducesCountJobsThenTheStopper) {
  const std::string normal = write("NormalRHS.txt", "10 4\n0 0\n");
  const std::string uniform = write("UniformRHS.txt", "1 3\n2 2\n");
  testing::internal::CaptureStdout();
  JobQueue normalJobs;
  produceNormalJobs(normal, normalJobs, 2, 7, false, 0);
  JobQueue triangularJobs;
  produceTriangularJobs(uniform, triangularJobs, 2, 7, false, 0);
  JobQueue uniformJobs;
  produceUniformJobs(uniform, uniformJobs, 2, 7, false, 0);
  testing::internal::GetCapturedStdout();
  for (const JobQueue* jobs : {&normalJobs, &triangularJobs, &uniformJobs}) {
    ASSERT_EQ(jobs->size(), 8u);
    EXPECT_TRUE(isStopper(jobs->back()));
    for (std::size_t k = 0; k + 1 < jobs->size(); ++k) {
      EXPECT_EQ((*jobs)[k].probability, sampleWeight(7));
    }
  }
  for (std::size_t k = 0; k < 7; ++k) {
    EXPECT_EQ(normalJobs[k].rhs[1], 0.0);
    EXPECT_GE(triangularJobs[k].rhs[0], 1.0);
    EXPECT_LE(triangularJobs[k].rhs[0], 3.0);
    EXPECT_EQ(uniformJobs[k].rhs[1], 2.0);
  }
}

TEST_F(ParameterFilesTest, UnreadableFileStillEndsThePhase) {
  JobQueue jobs;
  testing::internal::CaptureStdout();
  produceUniformJobs(missing(), jobs, 2, 3, true, 2);
  produceNormalJobs(write("short.txt", "1"), jobs, 1, 3, false, 0);
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_EQ(output, "Stopper inserted\nStopper inserted\n");
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_TRUE(isStopper(jobs[0]));
  EXPECT_TRUE(isStopper(jobs[1]));
}

}  // namespace
}  // namespace linprob
