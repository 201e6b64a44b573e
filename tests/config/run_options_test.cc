// End-to-end runs of the built program under each command-line option.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/console_lines.h"
#include "support/program_run.h"

namespace linprob {
namespace {

using testing::filesUnder;
using testing::ProgramRun;
using testing::WorkDir;
using testing_support::splitLines;

// Two unknowns, a full matrix, so every solved value depends on both inputs.
void writeSystem(const WorkDir& dir, bool enumerate, int solvers = 1) {
  dir.write("Settings.txt",
            "Dimensions 2\nSolverThreadCount " + std::to_string(solvers) +
                "\nGeneratorThreadCount 2\nIntegrationPrecision 3\n"
                "HistogramPrecision 4\nMaxMatrix 1\nExactDistributions " +
                (enumerate ? "1" : "0") + "\nSampleCount 3000\n");
  dir.write("Matrix0/Matice.txt", "3 1\n1 2\n");
  dir.write("Matrix0/RealRHS.txt", "5 5\n");
  dir.write("Matrix0/IntRHS.txt", "4 6\n4 6\n");
  dir.write("Matrix0/NormalRHS.txt", "5 0.3\n5 0.7\n");
  dir.write("Matrix0/UniformRHS.txt", "4 6\n3 7\n");
}

const std::set<std::string> kJobLinePrefixes = {
    "Solver Thread Started!", "Stopper found.",
    "Generator Thread Started!", "Generator thread stopping!",
    "Stopper inserted", "I have solved ",
    "Generator thread taking a nap at ", "Generator thread waking up!"};

bool isJobLine(const std::string& line) {
  return std::any_of(
      kJobLinePrefixes.begin(), kJobLinePrefixes.end(),
      [&](const std::string& prefix) { return line.rfind(prefix, 0) == 0; });
}

TEST(WorkDirRunTest, EqualsARunStartedThereByteForByte) {
  WorkDir here, elsewhere;
  writeSystem(here, true);
  // elsewhere/start is where the program starts; elsewhere/work is WORKDIR,
  // named relative to it.
  const std::filesystem::path start = elsewhere.path() / "start";
  std::filesystem::create_directories(start);
  std::filesystem::copy(here.path(), elsewhere.path() / "work",
                        std::filesystem::copy_options::recursive);
  const ProgramRun inside = testing::runProgramIn(here, {"-q"});
  const ProgramRun named = testing::runProgramFrom(start, {"-q", "../work"});
  ASSERT_EQ(inside.status, 0) << inside.err;
  EXPECT_EQ(named.status, 0);
  EXPECT_EQ(named.out, inside.out);
  EXPECT_EQ(named.err, inside.err);
  EXPECT_EQ(filesUnder(elsewhere.path() / "work"), filesUnder(here.path()));
  EXPECT_TRUE(std::filesystem::is_empty(start));
}

TEST(SeedRunTest, GivesTheSameFilesForAnyThreadCountAndOthersForAnotherSeed) {
  WorkDir one, two, other;
  writeSystem(one, false);
  writeSystem(two, false);
  writeSystem(other, false);
  ASSERT_EQ(testing::runProgramIn(one, {"--seed", "42", "-j", "1"}).status, 0);
  ASSERT_EQ(testing::runProgramIn(two, {"--seed", "42", "--threads=2"}).status,
            0);
  ASSERT_EQ(testing::runProgramIn(other, {"--seed", "43"}).status, 0);
  const auto files = filesUnder(one.path());
  EXPECT_EQ(filesUnder(two.path()), files);
  ASSERT_TRUE(files.count("ExportApprox/Results_X0.csv"));
  EXPECT_NE(other.read("ExportApprox/Results_X0.csv"),
            files.at("ExportApprox/Results_X0.csv"));
  EXPECT_NE(other.read("Matrix0/RESULTS_FF.txt"),
            files.at("Matrix0/RESULTS_FF.txt"));
}

// An unseeded sampling run records the seed it drew; --seed with that value
// repeats it file for file. The seed is written with all its 64-bit digits.
TEST(SeedRunTest, TheRecordedSeedOfAnUnseededRunRepeatsIt) {
  WorkDir drawn, repeated;
  writeSystem(drawn, false);
  writeSystem(repeated, false);
  ASSERT_EQ(testing::runProgramIn(drawn).status, 0);
  const auto document = nlohmann::json::parse(drawn.read("Report/results.json"));
  ASSERT_TRUE(document["run"]["seed"].is_number_unsigned());
  const std::string seed =
      std::to_string(document["run"]["seed"].get<std::uint64_t>());
  ASSERT_EQ(testing::runProgramIn(repeated, {"--seed", seed, "-j", "2"}).status,
            0);
  EXPECT_EQ(filesUnder(repeated.path()), filesUnder(drawn.path()));
  EXPECT_EQ(nlohmann::json::parse(repeated.read("Report/results.json"))["run"]
                                 ["seed"],
            document["run"]["seed"]);
}

TEST(QuietRunTest, KeepsExactlyTheBannerAndPhaseLines) {
  WorkDir loud, quiet;
  writeSystem(loud, true, 2);
  writeSystem(quiet, true, 2);
  const ProgramRun full = testing::runProgramIn(loud);
  const ProgramRun hushed = testing::runProgramIn(quiet, {"--quiet"});
  ASSERT_EQ(hushed.status, 0) << hushed.err;
  std::vector<std::string> expected;
  std::size_t jobLines = 0;
  for (const std::string& line : splitLines(full.out)) {
    if (isJobLine(line)) {
      ++jobLines;
    } else {
      expected.push_back(line);
    }
  }
  // 12 phases, each with two solver and two generator threads.
  EXPECT_EQ(jobLines, 12u * 9);
  EXPECT_EQ(splitLines(hushed.out), expected);
  // Per mode 6 banner lines, per phase 4 lines, and the report's line.
  EXPECT_EQ(expected.size(), 4u * 6 + 12 * 4 + 1);
  EXPECT_EQ(filesUnder(quiet.path()), filesUnder(loud.path()));
}

TEST(CheckRunTest, PrintsThePlanAndWritesNothing) {
  WorkDir dir;
  writeSystem(dir, true);
  const auto before = filesUnder(dir.path());
  const ProgramRun run = testing::runProgramIn(dir, {"--check", "-j", "3"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(filesUnder(dir.path()), before);
  const std::vector<std::string> lines = splitLines(run.out);
  // The plan, a line per kind of file (no pages of their own), the run
  // time and the budget.
  ASSERT_EQ(lines.size(), 13u + 8) << run.out;
  const std::vector<std::string> plan(lines.begin(), lines.begin() + 9);
  EXPECT_EQ(plan, (std::vector<std::string>{
                      "",
                      "Check: the settings and every input file are sound.",
                      "Systems: 1 (Matrix0/)",
                      "Pivoting modes: 4 (none, row, column, both)",
                      "Families: 3 (Triangular, Normal, Uniform)",
                      "Phases: 12",
                      "Jobs per phase: 9 (every combination of 3 cells for "
                      "each of 2 entries)",
                      "Jobs in all: 108",
                      "Solver threads: 3, generator threads: 2"}));
  // Nine jobs: replaying them is cheaper than any halves.
  EXPECT_EQ(lines[9].rfind("Replaying every job: about ", 0), 0u) << lines[9];
  EXPECT_NE(lines[9].find(" (--counting auto; --halves-memory 1024 MiB)"),
            std::string::npos);
  EXPECT_EQ(lines[10].rfind("Memory at the peak: about ", 0), 0u);
  EXPECT_EQ(lines[11].rfind("  Matrix*/RESULTS_*.txt:  about ", 0), 0u);
  EXPECT_EQ(lines[18].rfind("  Report/index.html:      about ", 0), 0u);
  EXPECT_EQ(lines[19].rfind("Estimated run time: ", 0), 0u);
  EXPECT_EQ(lines.back(),
            "Memory budget: 512 MiB (--memory-budget) for the solved values "
            "a phase keeps between its passes");

  // Sampling: SampleCount jobs per phase.
  writeSystem(dir, false);
  const ProgramRun sampling = testing::runProgramIn(dir, {"--check"});
  EXPECT_NE(sampling.out.find("\nJobs per phase: 3000 (random samples)\n"
                              "Jobs in all: 36000\n"),
            std::string::npos)
      << sampling.out;

  // A refused input: the input-error status, and still nothing written.
  dir.write("Matrix0/RealRHS.txt", "5\n");
  const auto spoilt = filesUnder(dir.path());
  const ProgramRun refused = testing::runProgramIn(dir, {"--check"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err,
            "Matrix0/RealRHS.txt: only 1 of the 2 numbers needed\n");
  EXPECT_EQ(refused.out.find("Check:"), std::string::npos);
  EXPECT_EQ(filesUnder(dir.path()), spoilt);
}

TEST(ProgressRunTest, DrawsOnStandardErrorOnly) {
  WorkDir plain, shown;
  writeSystem(plain, true);
  writeSystem(shown, true);
  const ProgramRun without =
      testing::runProgramIn(plain, {"-q", "--no-progress"});
  const ProgramRun with = testing::runProgramIn(shown, {"-q", "--progress"});
  ASSERT_EQ(with.status, 0) << with.err;
  EXPECT_EQ(without.err, "");
  EXPECT_EQ(with.out, without.out);
  const auto files = filesUnder(shown.path());
  EXPECT_EQ(files, filesUnder(plain.path()));
  for (const auto& [name, text] : files) {
    EXPECT_EQ(text.find("mode none"), std::string::npos) << name;
  }
  // Each phase draws its line as it starts and erases it as it ends.
  for (const char* family : {"Triangular", "Normal", "Uniform"}) {
    EXPECT_NE(with.err.find(std::string("\rMatrix0, mode both, ") + family +
                            ": "),
              std::string::npos)
        << family;
  }
  EXPECT_EQ(with.err.find('\n'), std::string::npos);
  EXPECT_EQ(with.err.back(), '\r');
}

// A system large enough for the tiled replay, sampled in several chunks
// (the last block short): every budget, kept or streamed, and every thread
// count write the same files, byte for byte, the report's standard errors
// and convergence of every batch among them (counted a position through
// every chunk when kept, chunk by chunk into shared batch histograms when
// streamed on several threads).
TEST(MemoryBudgetRunTest, LargeSystemFilesDoNotDependOnBudgetOrThreads) {
  const int n = 60;
  std::mt19937_64 random(60);
  std::uniform_real_distribution<double> entry(-1.0, 1.0);
  std::string matrix, real, interval, normal, uniform;
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      const double a = r == c ? n / 2.0 + 1.0 : entry(random);
      matrix += std::to_string(a) + (c + 1 < n ? " " : "\n");
    }
    const double b = 5.0 * entry(random);
    real += std::to_string(b) + " ";
    interval += std::to_string(b - 0.1) + " " + std::to_string(b + 0.1) + "\n";
    normal += std::to_string(b) + " 0.01\n";
    uniform += std::to_string(b - 0.2) + " " + std::to_string(b + 0.2) + "\n";
  }
  const auto runWith = [&](const std::vector<std::string>& arguments) {
    WorkDir dir;
    dir.write("Settings.txt",
              "Dimensions " + std::to_string(n) +
                  "\nSolverThreadCount 1\nGeneratorThreadCount 1\n"
                  "IntegrationPrecision 5\nHistogramPrecision 10\n"
                  "MaxMatrix 1\nExactDistributions 0\nSampleCount 40000\n");
    dir.write("Matrix0/Matice.txt", matrix);
    dir.write("Matrix0/RealRHS.txt", real + "\n");
    dir.write("Matrix0/IntRHS.txt", interval);
    dir.write("Matrix0/NormalRHS.txt", normal);
    dir.write("Matrix0/UniformRHS.txt", uniform);
    std::vector<std::string> all = {"-q", "--seed", "9"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    const ProgramRun run = testing::runProgramIn(dir, all);
    EXPECT_EQ(run.status, 0) << run.err;
    return filesUnder(dir.path());
  };
  // 40 blocks of 61 x 1024 values: 20 MiB kept by default, none with 10.
  const auto streamed = runWith({"-j", "1", "--memory-budget", "0"});
  ASSERT_TRUE(streamed.count("Matrix0/RESULTS_TT.txt"));
  ASSERT_NE(streamed.at("Report/results.json").find("\"standard_error\":{"),
            std::string::npos);
  EXPECT_EQ(runWith({"-j", "1"}), streamed);
  EXPECT_EQ(runWith({"-j", "3"}), streamed);
  EXPECT_EQ(runWith({"-j", "2", "--memory-budget", "10"}), streamed);
}

// Counting by halves gives the summary and export files of the replay of
// every job here: the values agree to rounding (halves_counter_test.cc),
// which their printed digits hide, not Report/'s every digit. A budget too
// small for the halves falls back to the replay.
TEST(CountingRunTest, ReplayAndHalvesWriteTheSameFiles) {
  const auto runWith = [](const std::vector<std::string>& arguments) {
    WorkDir dir;
    writeSystem(dir, true);
    dir.write("Settings.txt",
              "Dimensions 2\nSolverThreadCount 1\nGeneratorThreadCount 2\n"
              "IntegrationPrecision 40\nHistogramPrecision 6\nMaxMatrix 1\n"
              "ExactDistributions 1\nSampleCount 3000\n");
    std::vector<std::string> all = {"-q", "--no-report"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    const ProgramRun run = testing::runProgramIn(dir, all);
    EXPECT_EQ(run.status, 0) << run.err;
    return filesUnder(dir.path());
  };
  const auto replayed = runWith({"--counting", "replay"});
  ASSERT_TRUE(replayed.count("Matrix0/RESULTS_TT.txt"));
  ASSERT_TRUE(replayed.count("Export/Results_X1.csv"));
  EXPECT_EQ(runWith({"--counting", "halves"}), replayed);
  EXPECT_EQ(runWith({"--counting", "halves", "-j", "2"}), replayed);
  EXPECT_EQ(runWith({"--counting", "halves", "--halves-memory", "0"}),
            replayed);
}

}  // namespace
}  // namespace linprob
