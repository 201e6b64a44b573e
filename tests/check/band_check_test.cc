// Bands that would collapse are refused at the start of a run and by
// --check, with the message the phase itself would give, before anything is
// written; in enumeration and, from the run's seed, in sampling.
#include "check/band_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "support/narrow_phase.h"
#include "support/program_run.h"

namespace linprob {
namespace {

using testing::ProgramRun;
using testing::WorkDir;

// x = b on [1, 1 + 1e-13] with `bands` bands: 1000 are a tenth of an ulp
// each, 10 are wide enough.
void writeNarrow(const WorkDir& dir, int bands, int exact) {
  dir.write("Settings.txt", "Dimensions 1 S 1 G 1 I 10 H " +
                                std::to_string(bands) + " M 1 E " +
                                std::to_string(exact) + " N 100");
  dir.write("Matrix0/Matice.txt", "1");
  dir.write("Matrix0/RealRHS.txt", "1");
  dir.write("Matrix0/IntRHS.txt", "1 1.0000000000001");
  dir.write("Matrix0/UniformRHS.txt", "1 1.0000000000001");
  dir.write("Matrix0/NormalRHS.txt", "1 1");
}

// What the phase of `family` itself throws for these inputs, as the run
// reports it.
std::string phaseRefusal(Family family, int exact,
                         std::optional<std::uint64_t> seed) {
  const testing_support::NarrowPhase phase(1000, exact == 1);
  return "Matrix0 under pivoting mode 0 (none): " +
         phase.refusal(family, seed) + "\n";
}

TEST(BandCheckTest, RefusesBeforeAnythingIsWrittenWithThePhasesMessage) {
  WorkDir dir;
  writeNarrow(dir, 1000, 1);
  // Both families of cells collapse; the run's first phase is the
  // triangular one.
  const std::string expected = phaseRefusal(Family::kTriangular, 1, {}) +
                               phaseRefusal(Family::kUniform, 1, {});
  EXPECT_EQ(expected.rfind(
                "Matrix0 under pivoting mode 0 (none): Triangular family", 0),
            0u);
  for (const char* option : {"-q", "--check"}) {
    const ProgramRun run = testing::runProgramIn(dir, {option});
    EXPECT_EQ(run.status, 1) << option;
    EXPECT_EQ(run.err, expected) << option;
    EXPECT_EQ(run.out.find("Check:"), std::string::npos);
  }
  EXPECT_FALSE(dir.exists("Matrix0/RESULTS_FF.txt"));
  EXPECT_FALSE(dir.exists("Report"));

  writeNarrow(dir, 10, 1);
  EXPECT_EQ(testing::runProgramIn(dir, {"-q"}).status, 0);
}

TEST(BandCheckTest, SamplingIsCheckedOnTheRunsOwnSamples) {
  WorkDir dir;
  writeNarrow(dir, 1000, 0);
  const ProgramRun run = testing::runProgramIn(dir, {"-q", "--seed", "3"});
  EXPECT_EQ(run.status, 1);
  // Every family's samples spread over a few ulps of 1.
  EXPECT_EQ(run.err, phaseRefusal(Family::kTriangular, 0, 3) +
                         phaseRefusal(Family::kUniform, 0, 3));
  EXPECT_FALSE(dir.exists("Matrix0/RESULTS_FF.txt"));
  // Without a seed, on samples of a seed of its own.
  const ProgramRun check = testing::runProgramIn(dir, {"--check"});
  EXPECT_EQ(check.status, 1);
  EXPECT_NE(check.err.find("Triangular family, unknown 0: the band width"),
            std::string::npos);

  writeNarrow(dir, 10, 0);
  EXPECT_EQ(testing::runProgramIn(dir, {"-q"}).status, 0);
}

}  // namespace
}  // namespace linprob
