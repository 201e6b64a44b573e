// What a run's settings would cost, and the refusal of a run beyond what
// this machine allows.
#include "driver/run_footprint.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/program_run.h"

namespace linprob {
namespace {

TEST(RunFootprintTest, GrowsWithTheBandsAndTheReport) {
  const RunSettings example;  // the bundled example's settings
  const RunFootprint shown = estimateFootprint(example, true);
  // Its files are 2.7 MB and its peak about 16 MB (measured): the estimate
  // is of that size, not below it.
  EXPECT_GT(shown.outputBytes, 2.7e6);
  EXPECT_LT(shown.outputBytes, 4.0e6);
  EXPECT_GT(shown.memoryBytes, 16e6);
  EXPECT_LT(shown.memoryBytes, 60e6);
  EXPECT_LT(estimateFootprint(example, false).outputBytes, shown.outputBytes);

  RunSettings fine = example;
  fine.HistogramPrecision = 1000000;
  const RunFootprint huge = estimateFootprint(fine, true);
  EXPECT_GT(huge.outputBytes, 50e9);
  EXPECT_GT(huge.memoryBytes, 8e9);
  // Per solver thread: the sub-band sums of every unknown.
  RunSettings threads = example;
  threads.SolverThreadCount = 1024;
  EXPECT_GT(estimateFootprint(threads, true).memoryBytes, 1e9);
}

TEST(RunFootprintTest, ManySystemsCountThePagesOfTheirOwn) {
  // 2,000 systems of 2 unknowns, 2 cells, 10 bands wrote 501 MB (measured):
  // Report/ 429 MB (results.json 144 MB, the pages of their own 149 MB,
  // the index 1.1 MB), the summaries and the export 72 MB.
  RunSettings many;
  many.Dimensions = 2;
  many.IntegrationPrecision = 2;
  many.MaxMatrix = 2000;
  const RunFootprint shown = estimateFootprint(many, true);
  EXPECT_GT(shown.outputBytes, 501e6);
  EXPECT_LT(shown.outputBytes, 700e6);
  // In memory: the index and one page of its own, not a page of them all.
  EXPECT_LT(shown.memoryBytes, 200e6);
}

TEST(RunFootprintTest, CountsTheBlocksAPhaseKeepsWithinItsBudget) {
  RunSettings sampling;
  sampling.Dimensions = 500;
  sampling.ExactDistributions = false;
  sampling.SampleCount = 10000;
  // 10 blocks of 501 x 1024 values.
  const double kept = 10.0 * static_cast<double>(keptBlockBytes(500));
  const double streamed = estimateFootprint(sampling, false, 0).memoryBytes;
  EXPECT_EQ(estimateFootprint(sampling, false, std::uint64_t{1} << 30)
                .memoryBytes,
            streamed + kept);
  EXPECT_EQ(estimateFootprint(sampling, false, 39u << 20).memoryBytes,
            streamed);
}

TEST(RunFootprintTest, RefusesBeyondTheLimitsNamingTheOptionsAndTheEstimate) {
  RunSettings settings;
  settings.HistogramPrecision = 1000000;
  const FootprintLimits limits{12e9, kMostOutputBytes};
  EXPECT_EQ(footprintProblem(settings, RunFootprint{70.4e9, 95e9}, limits),
            "Settings.txt: HistogramPrecision 1000000 with Dimensions 4 and "
            "MaxMatrix 5: the run would need about 70 GB of memory and write "
            "about 95 GB of files; this machine allows 12 GB of memory (half "
            "of its memory) and 2.0 GB of files");
  EXPECT_FALSE(footprintProblem(settings, RunFootprint{12e9, 2e9}, limits));
  EXPECT_TRUE(footprintProblem(settings, RunFootprint{1e6, 2.1e9}, limits));
  EXPECT_TRUE(footprintProblem(settings, RunFootprint{12.1e9, 1e6}, limits));

  EXPECT_EQ(byteText(950), "950 B");
  EXPECT_EQ(byteText(3600), "3.6 kB");
  EXPECT_EQ(byteText(12.3e6), "12 MB");
  EXPECT_EQ(byteText(999.7e9), "1.0 TB");
}

TEST(RunFootprintTest, ARunBeyondTheLimitIsRefusedBeforeItStarts) {
  // One unknown, a million bands: some 3 GB of files.
  testing::WorkDir dir;
  dir.write("Settings.txt", "Dimensions 1 S 1 G 1 I 10 H 1000000 M 1 E 1 N 5");
  dir.write("Matrix0/Matice.txt", "1");
  dir.write("Matrix0/RealRHS.txt", "1");
  dir.write("Matrix0/IntRHS.txt", "0 2");
  dir.write("Matrix0/UniformRHS.txt", "0 2");
  dir.write("Matrix0/NormalRHS.txt", "1 1");
  for (const char* option : {"--check", "-q"}) {
    const testing::ProgramRun run = testing::runProgramIn(dir, {option});
    EXPECT_EQ(run.status, 1);
    const std::string head =
        "Settings.txt: HistogramPrecision 1000000 with Dimensions 1 and "
        "MaxMatrix 1: the run would need about ";
    EXPECT_EQ(run.err.substr(0, head.size()), head) << run.err;
    EXPECT_TRUE(run.err.ends_with("memory) and 2.0 GB of files\n"))
        << run.err;
  }
  EXPECT_FALSE(dir.exists("Matrix0/RESULTS_FF.txt"));
  EXPECT_FALSE(dir.exists("Report"));
}

}  // namespace
}  // namespace linprob
