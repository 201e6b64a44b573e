// The console lines of a system's run state the samples its phases use.
#include "driver/system_run.h"

#include <gtest/gtest.h>

#include <string>

#include "support/program_run.h"

namespace linprob {
namespace {

std::string bannerOf(const std::string& out) {
  const std::string head = "Each RHS distribution will be represented by ";
  const std::size_t at = out.find(head);
  if (at == std::string::npos) return "";
  return out.substr(at, out.find('\n', at) - at);
}

TEST(SystemRunTest, TheBannerStatesTheSamplesUsed) {
  testing::WorkDir dir;
  testing::writeDiagonalSystem(dir);
  dir.write("Settings.txt", "Dimensions 2 S 1 G 1 I 3 H 4 M 1 E 0 N 1000");
  EXPECT_EQ(bannerOf(testing::runProgramIn(dir, {"-q", "--no-report", "--seed", "1"}).out),
            "Each RHS distribution will be represented by 1000 samples.");
  // Sobol' sets are a power of two each: 16 x 64.
  EXPECT_EQ(bannerOf(testing::runProgramIn(
                         dir, {"-q", "--no-report", "--seed", "1", "--points",
                               "sobol"})
                         .out),
            "Each RHS distribution will be represented by 1024 samples.");
  // --digits: rounds of 16 batches of 1024, 2048, ... samples, the last
  // within SampleCount 100000: 16 x 6144.
  dir.write("Settings.txt", "Dimensions 2 S 1 G 1 I 3 H 4 M 1 E 0 N 100000");
  EXPECT_EQ(bannerOf(testing::runProgramIn(
                         dir, {"-q", "--no-report", "--seed", "1", "--digits",
                               "1"})
                         .out),
            "Each RHS distribution will be represented by at most 98304 "
            "samples (--digits 1).");
}

}  // namespace
}  // namespace linprob
