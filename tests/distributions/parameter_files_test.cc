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

}  // namespace
}  // namespace linprob
