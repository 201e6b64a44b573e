// A phase whose band width is below the resolution of its values ends the
// run with a computing error instead of collapsing its bands, end to end.
// (What --digits states is checked in tests/calibration.)
#include "driver/distribution_phase.h"

#include <gtest/gtest.h>

#include <string>

#include "support/program_run.h"

namespace linprob {
namespace {

using testing::ProgramRun;
using testing::WorkDir;

TEST(DistributionPhaseTest, RefusesBandsNarrowerThanTheValuesResolution) {
  // x = b on [1, 1 + 1e-13]: 1000 bands would be a tenth of an ulp each.
  WorkDir dir;
  dir.write("Settings.txt", "Dimensions 1 S 1 G 1 I 10 H 1000 M 1 E 1 N 5");
  dir.write("Matrix0/Matice.txt", "1");
  dir.write("Matrix0/RealRHS.txt", "1");
  dir.write("Matrix0/IntRHS.txt", "1 1.0000000000001");
  dir.write("Matrix0/UniformRHS.txt", "1 1.0000000000001");
  dir.write("Matrix0/NormalRHS.txt", "1 1");
  const ProgramRun narrow = testing::runProgramIn(dir, {"-q"});
  EXPECT_EQ(narrow.status, 2);
  EXPECT_EQ(narrow.err,
            "Matrix0 under pivoting mode 0 (none): Triangular family, unknown "
            "0: the band width 9.015010959956272e-17 (HistogramPrecision "
            "1000) is below the resolution of the values from Min "
            "1.0000000000000049 to Max 1.000000000000095: the bands would "
            "collapse\n");
  EXPECT_FALSE(dir.exists("Matrix0/RESULTS_FF.txt"));

  // Ten bands are wide enough.
  dir.write("Settings.txt", "Dimensions 1 S 1 G 1 I 10 H 10 M 1 E 1 N 5");
  EXPECT_EQ(testing::runProgramIn(dir, {"-q"}).status, 0);
}

}  // namespace
}  // namespace linprob
