// Options that cannot change a run earn one warning line each, in the run and
// in --check; the run goes on.
#include "check/unused_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/program_run.h"

namespace linprob {
namespace {

TEST(UnusedOptionsTest, DigitsAndPointsDoNothingInEnumeration) {
  RunSettings settings;  // enumeration
  EXPECT_TRUE(unusedOptionLines(settings).empty());
  settings.digits = 2;
  settings.points = PointKind::kSobol;
  EXPECT_EQ(unusedOptionLines(settings),
            (std::vector<std::string>{
                "--points sobol: has no effect in enumeration "
                "(ExactDistributions 1); it chooses the points of sampling "
                "phases",
                "--digits 2: has no effect in enumeration (ExactDistributions "
                "1); it sets the samples of sampling phases"}));
  settings.ExactDistributions = false;
  EXPECT_TRUE(unusedOptionLines(settings).empty());
}

TEST(UnusedOptionsTest, TheRunAndTheCheckWarnAndGoOn) {
  testing::WorkDir dir;
  testing::writeDiagonalSystem(dir);
  dir.write("Settings.txt", "Dimensions 2 S 1 G 1 I 3 H 4 M 1 E 1 N 5");
  const std::string warning =
      "--digits 3: has no effect in enumeration (ExactDistributions 1); it "
      "sets the samples of sampling phases\n";
  for (const char* option : {"-q", "--check"}) {
    const testing::ProgramRun run =
        testing::runProgramIn(dir, {option, "--digits", "3"});
    EXPECT_EQ(run.status, 0) << option;
    EXPECT_EQ(run.err, warning) << option;
  }
}

}  // namespace
}  // namespace linprob
