// Bad input is refused before anything is computed or written: one line per
// problem on standard error naming the file, exit status 1, no output file.
#include "check/input_check.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "support/program_run.h"

namespace linprob {
namespace {

using testing::ProgramRun;
using testing::WorkDir;

constexpr const char* kTwoUnknowns =
    "Dimensions 2\nSolverThreads 1\nGenerators 1\nCells 3\nBands 2\n"
    "Systems 1\nExact 1\nSamples 100\n";

// A sound two-unknown system 0 whose files tests then spoil one by one.
void writeSoundSystem(const WorkDir& dir, int i = 0) {
  const std::string folder = "Matrix" + std::to_string(i) + "/";
  dir.write(folder + "Matice.txt", "2 1\n1 3\n");
  dir.write(folder + "RealRHS.txt", "3 4\n");
  dir.write(folder + "IntRHS.txt", "2 4\n3 5\n");
  dir.write(folder + "NormalRHS.txt", "3 1\n4 1\n");
  dir.write(folder + "UniformRHS.txt", "2 4\n3 5\n");
}

void expectRefused(const WorkDir& dir, const ProgramRun& run,
                   const std::string& expectedErr) {
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, expectedErr);
  EXPECT_FALSE(dir.exists("Matrix0/RESULTS_FF.txt"));
  EXPECT_FALSE(dir.exists("Export"));
  EXPECT_EQ(run.out.find("Pivot mode change to:"), std::string::npos);
}

TEST(InputCheckTest, ReportsEveryBrokenFileOfEverySystem) {
  WorkDir dir;
  dir.write("Settings.txt",
            "Dimensions 2\nS 1\nG 1\nC 3\nB 2\nSystems 2\nE 1\nN 100\n");
  writeSoundSystem(dir, 0);
  writeSoundSystem(dir, 1);
  dir.write("Matrix0/Matice.txt", "2 1\n1\n");
  dir.write("Matrix0/RealRHS.txt", "3 abc\n");
  dir.write("Matrix0/IntRHS.txt", "2 4\n5 3\n");
  std::filesystem::remove(dir.path() / "Matrix1/NormalRHS.txt");
  dir.write("Matrix1/UniformRHS.txt", "2 4\n3 1e999\n");
  expectRefused(dir, testing::runProgramIn(dir),
                "Matrix0/Matice.txt: only 3 of the 4 numbers needed\n"
                "Matrix0/RealRHS.txt: \"abc\" is not a number\n"
                "Matrix0/IntRHS.txt: pair 1 has its lower end above its "
                "upper end (5 > 3)\n"
                "Matrix1/NormalRHS.txt: missing\n"
                "Matrix1/UniformRHS.txt: \"1e999\" is out of the range of "
                "double\n");
}

TEST(InputCheckTest, RefusesAMissingSystemFolder) {
  WorkDir dir;
  dir.write("Settings.txt", kTwoUnknowns);
  expectRefused(dir, testing::runProgramIn(dir), "Matrix0/ is missing\n");
  EXPECT_FALSE(dir.exists("Matrix0"));
}

// The folders are listed once: each run of missing ones is one line, before
// the last present one as after it.
TEST(InputCheckTest, ReportsTheMissingTailAndNamesWhatIsNotAFolder) {
  WorkDir dir;
  writeSoundSystem(dir, 0);
  writeSoundSystem(dir, 2);
  // Neither is a system folder of this run: a plain file, a leading zero.
  dir.write("Matrix3", "not a folder");
  writeSoundSystem(dir, 4);
  std::filesystem::rename(dir.path() / "Matrix4", dir.path() / "Matrix04");
  dir.write("Settings.txt", "D 2 S 1 G 1 C 2 B 2 Systems 7 E 1 N 10");
  std::filesystem::create_symlink("nowhere", dir.path() / "Matrix5");
  expectRefused(dir, testing::runProgramIn(dir),
                "Matrix1/ is missing\n"
                "Matrix3 is not a folder\n"
                "Matrix4/ is missing\n"
                "Matrix5 is not a folder\n"
                "Matrix6/ is missing\n");

  // A file before the last folder: one line for it, not one per input file.
  WorkDir before;
  before.write("Matrix0", "not a folder");
  writeSoundSystem(before, 1);
  before.write("Settings.txt", "D 2 S 1 G 1 C 2 B 2 Systems 2 E 1 N 10");
  expectRefused(before, testing::runProgramIn(before),
                "Matrix0 is not a folder\n");

  // Missing folders between present ones: one line per run of them, in
  // order among the other systems' problems.
  WorkDir between;
  writeSoundSystem(between, 1);
  writeSoundSystem(between, 4);
  between.write("Matrix4/RealRHS.txt", "3");
  between.write("Settings.txt", "D 2 S 1 G 1 C 2 B 2 Systems 5 E 1 N 10");
  expectRefused(between, testing::runProgramIn(between),
                "Matrix0/ is missing\n"
                "Matrix2/ ... Matrix3/ are missing\n"
                "Matrix4/RealRHS.txt: only 1 of the 2 numbers needed\n");
}

TEST(InputCheckTest, ListsAtMostAHundredProblems) {
  WorkDir dir;
  // 30 systems, 29 of them empty folders missing their five files each.
  for (int i = 0; i < 29; ++i) {
    std::filesystem::create_directories(dir.path() /
                                        ("Matrix" + std::to_string(i)));
  }
  writeSoundSystem(dir, 29);
  dir.write("Settings.txt", "D 2\nS 1\nG 1\nC 2\nB 2\nSystems 30\n");
  const ProgramRun run = testing::runProgramIn(dir);
  EXPECT_EQ(run.status, 1);
  const std::string last = "... and 45 more problems in the input files\n";
  ASSERT_GE(run.err.size(), last.size());
  EXPECT_EQ(run.err.substr(run.err.size() - last.size()), last);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 101);
}

TEST(InputCheckTest, RefusesBadDistributionParameters) {
  WorkDir dir;
  dir.write("Settings.txt", kTwoUnknowns);
  writeSoundSystem(dir);
  dir.write("Matrix0/NormalRHS.txt", "3 -1\n4 1\n");
  dir.write("Matrix0/UniformRHS.txt", "2 4\n5 3\n");
  dir.write("Matrix0/LognormalRHS.txt", "-2 1\n4 1\n");
  dir.write("Matrix0/DataRHS.txt", "1 2 3\n4 5\n");
  expectRefused(dir, testing::runProgramIn(dir),
                "Matrix0/NormalRHS.txt: pair 0 has a negative variance (-1)\n"
                "Matrix0/UniformRHS.txt: pair 1 has its lower end above its "
                "upper end (5 > 3)\n"
                "Matrix0/LognormalRHS.txt: pair 0 has a mean that is not "
                "positive (-2)\n"
                "Matrix0/DataRHS.txt: row 1 (line 2) holds 2 numbers, not 3 "
                "as row 0 does\n");
}

// A system with LognormalRHS.txt is analysed under the lognormal family
// too, after the other three; a system without it is not, and its files
// are those of a run without the family.
TEST(InputCheckTest, RunsTheLognormalFamilyWhereItsFileIs) {
  WorkDir dir;
  dir.write("Settings.txt",
            "Dimensions 2\nS 1\nG 1\nC 3\nB 2\nSystems 2\nE 1\nN 100\n");
  writeSoundSystem(dir, 0);
  writeSoundSystem(dir, 1);
  dir.write("Matrix1/LognormalRHS.txt", "3 1\n4 1\n");
  // Its phases are counted for that system alone: 4 modes x (2 x 3 + 1).
  const ProgramRun check = testing::runProgramIn(dir, {"--check"});
  EXPECT_NE(check.out.find("Phases: 28\nJobs per phase: 9"), std::string::npos)
      << check.out;
  EXPECT_NE(check.out.find("Jobs in all: 252\n"), std::string::npos);
  const ProgramRun run = testing::runProgramIn(dir);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string without = dir.read("Matrix0/RESULTS_FF.txt");
  const std::string with = dir.read("Matrix1/RESULTS_FF.txt");
  EXPECT_EQ(without.find("Lognormal"), std::string::npos);
  const std::size_t uniform = with.find("INVALID Results for the Uniform distribution:");
  const std::size_t lognormal = with.find("Results for the Lognormal distribution:");
  ASSERT_NE(lognormal, std::string::npos);
  EXPECT_LT(uniform, lognormal);
  EXPECT_NE(with.find("INVALID Results for the Lognormal distribution:"),
            std::string::npos);
  const std::string exported = dir.read("Export/Results_X0.csv");
  std::size_t blocks = 0;
  for (std::size_t at = exported.find("Lognormal;Borders;VALID;INVALID;");
       at != std::string::npos;
       at = exported.find("Lognormal;Borders;VALID;INVALID;", at + 1)) {
    ++blocks;
  }
  EXPECT_EQ(blocks, 4u);  // Matrix_1 under each mode
  EXPECT_NE(run.out.find("Calculating results for Lognormal Distribution..."),
            std::string::npos);
}

// A system with DataRHS.txt is analysed under the data family last, one
// cell per measured value whatever the settings' cells (4 values: 16 jobs,
// each of mass 1/16), and --check says so.
TEST(InputCheckTest, RunsTheDataFamilyWithACellPerValue) {
  WorkDir dir;
  dir.write("Settings.txt",
            "Dimensions 2\nS 1\nG 1\nC 3\nB 2\nSystems 2\nE 1\nN 100\n");
  writeSoundSystem(dir, 0);
  writeSoundSystem(dir, 1);
  dir.write("Matrix1/DataRHS.txt", "4 1 3 2\n0 0 1 7\n");
  const ProgramRun check = testing::runProgramIn(dir, {"--check"});
  ASSERT_EQ(check.status, 0) << check.err;
  EXPECT_NE(check.out.find("Phases: 28\n"), std::string::npos) << check.out;
  EXPECT_NE(check.out.find("Jobs per Data phase: 16 (every combination of "
                           "the 4 measured values of each of 2 entries)\n"),
            std::string::npos)
      << check.out;
  EXPECT_NE(check.out.find("Jobs in all: 280\n"), std::string::npos);
  const ProgramRun run = testing::runProgramIn(dir);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(dir.read("Matrix0/RESULTS_TT.txt").find("Data"), std::string::npos);
  const std::string with = dir.read("Matrix1/RESULTS_TT.txt");
  const std::size_t data = with.find("Results for the Data distribution:");
  ASSERT_NE(data, std::string::npos);
  EXPECT_LT(with.find("INVALID Results for the Uniform distribution:"), data);
  // x = A^-1 b, A = [2 1; 1 3]: the first unknown is (3 b0 - b1) / 5, whose
  // least is (3 - 7) / 5 (b0 = 1, b1 = 7).
  EXPECT_NE(with.find("<-0.8 : 0\n", data), std::string::npos) << with.substr(data);
  EXPECT_NE(run.out.find("Calculating results for Data Distribution..."),
            std::string::npos);
}

// Correlation.txt: refused in words when it is not a correlation matrix;
// enumerated over the copula's normal cells, every job replayed; sampled,
// the report says that INVALID ignores it and gives the normal family's
// full and independent shares.
TEST(InputCheckTest, CorrelatedEntriesAreCheckedEnumeratedAndSampled) {
  WorkDir dir;
  dir.write("Settings.txt", kTwoUnknowns);
  writeSoundSystem(dir);
  dir.write("Matrix0/Correlation.txt", "1 0.5\n0.4 1\n");
  expectRefused(dir, testing::runProgramIn(dir),
                "Matrix0/Correlation.txt: entry (0, 1) is 0.5 but entry (1, 0) "
                "is 0.4: R must be symmetric\n");
  dir.write("Matrix0/Correlation.txt", "1 0.5\n0.5 1\n");
  {
    WorkDir cells;
    cells.write("Settings.txt", kTwoUnknowns);
    writeSoundSystem(cells);
    cells.write("Matrix0/Correlation.txt", "1 0.5\n0.5 1\n");
    const ProgramRun check = testing::runProgramIn(cells, {"--check"});
    EXPECT_NE(check.out.find("Correlated enumeration: the cells of "
                             "independent standard normals"),
              std::string::npos)
        << check.out;
    const ProgramRun run = testing::runProgramIn(cells);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(cells.read("Matrix0/RESULTS_TT.txt")
                  .find("Results for the Normal distribution:"),
              std::string::npos);
    EXPECT_NE(cells.read("Report/results.json")
                  .find("the moments the enumerated cells should reproduce"),
              std::string::npos);
  }
  dir.write("Settings.txt",
            "Dimensions 2\nS 1\nG 1\nC 3\nB 2\nSystems 1\nE 0\nN 2000\n");
  const ProgramRun check = testing::runProgramIn(dir, {"--check"});
  EXPECT_NE(check.out.find("Correlated entries: 1 of 1 systems "
                           "(Correlation.txt, through a Gaussian copula; "
                           "INVALID ignores the correlation)\n"),
            std::string::npos)
      << check.out;
  const ProgramRun run = testing::runProgramIn(dir, {"--seed", "3"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string report = dir.read("Report/results.json");
  EXPECT_NE(report.find("\"correlation_note\""), std::string::npos);
  // The normal family's full and independent indices; the other families'
  // none.
  EXPECT_NE(report.find("\"sensitivity_note\""), std::string::npos);
  EXPECT_NE(report.find("\"independent_shares\":["), std::string::npos);
  EXPECT_EQ(report.find("\"family\":\"Uniform\",\"unknowns\""),
            std::string::npos);
  const std::string csv = dir.read("Report/sensitivity.csv");
  EXPECT_EQ(csv.substr(0, csv.find('\n')),
            "system,family,unknown,entry,share,contribution_sd,cells_share,"
            "independent_share");
}

// IntMatice.txt: refused naming the coefficient whose ends are swapped;
// sound, its enclosures go to the report only, and interval_matrix.csv is
// written for a run that has one.
TEST(InputCheckTest, AnIntervalMatrixIsCheckedAndReported) {
  WorkDir dir;
  dir.write("Settings.txt", kTwoUnknowns);
  writeSoundSystem(dir);
  dir.write("Matrix0/IntMatice.txt", "1.9 2.1 0.9 1.1\n3 1 2.9 3.1\n");
  expectRefused(dir, testing::runProgramIn(dir),
                "Matrix0/IntMatice.txt: row 1, column 0 has its lower end "
                "above its upper end (3 > 1)\n");
  dir.write("Matrix0/IntMatice.txt", "1.9 2.1 0.9 1.1\n0.9 1.1 2.9 3.1\n");
  const ProgramRun check = testing::runProgramIn(dir, {"--check"});
  EXPECT_NE(check.out.find("Interval matrix: 1 of 1 systems (IntMatice.txt): "
                           "naive elimination under each pivoting mode"),
            std::string::npos)
      << check.out;
  EXPECT_NE(check.out.find("Report/interval_matrix.csv:"), std::string::npos);
  const ProgramRun run = testing::runProgramIn(dir);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string csv = dir.read("Report/interval_matrix.csv");
  EXPECT_EQ(csv.substr(0, csv.find('\n')),
            "system,method,mode,unknown,lower,upper,overestimation");
  // Four naive eliminations, three verified enclosures and the hull, two
  // unknowns each.
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 8 * 2);
  const std::string report = dir.read("Report/results.json");
  EXPECT_NE(report.find("\"interval_matrix\":{\"regular\":true"),
            std::string::npos);
  EXPECT_NE(report.find("\"interval_matrix.csv\"]"), std::string::npos);
  EXPECT_EQ(dir.read("Matrix0/RESULTS_TT.txt").find("nterval matrix"),
            std::string::npos);
}

TEST(InputCheckTest, RefusesAMatrixWithAZeroPivotUnderAnyMode) {
  WorkDir dir;
  dir.write("Settings.txt", kTwoUnknowns);
  writeSoundSystem(dir);
  // Singular: every mode meets a zero pivot at position 1.
  dir.write("Matrix0/Matice.txt", "1 2\n2 4\n");
  const ProgramRun singular = testing::runProgramIn(dir);
  EXPECT_EQ(singular.status, 1);
  EXPECT_NE(singular.err.find("Matrix0/Matice.txt: cannot be eliminated under "
                              "pivoting mode 0 (none): zero or non-finite "
                              "pivot at position 1\n"),
            std::string::npos);
  EXPECT_NE(singular.err.find("pivoting mode 3 (both)"), std::string::npos);

  // Regular, but without pivoting the first pivot is 0 (the factor -2/0 would
  // turn the last pivot into NaN); row pivoting alone would cope.
  dir.write("Matrix0/Matice.txt", "0 1\n2 3\n");
  expectRefused(dir, testing::runProgramIn(dir),
                "Matrix0/Matice.txt: cannot be eliminated under pivoting mode "
                "0 (none): zero or non-finite pivot at position 0\n");
}

TEST(InputCheckTest, RefusesDimensionsZeroAndUncountableJobs) {
  WorkDir dir;
  writeSoundSystem(dir);
  dir.write("Settings.txt", "Dimensions 0\n");
  expectRefused(dir, testing::runProgramIn(dir),
                "Settings.txt: Dimensions 0: a system needs at least one "
                "unknown\n");
  dir.write("Settings.txt", "Dimensions 100001\n");
  expectRefused(dir, testing::runProgramIn(dir),
                "Settings.txt: Dimensions 100001: at most 100000 unknowns are "
                "supported\n");

  dir.write("Settings.txt", "D 20\nS 1\nG 1\nCells 10000\nB 2\nM 1\nE 1\n");
  expectRefused(dir, testing::runProgramIn(dir),
                "Settings.txt: IntegrationPrecision 10000 to the power "
                "Dimensions 20 is too many jobs to count in 64 bits\n");
}

TEST(InputCheckTest, RefusesASizeBeyondTheFilesWithoutAllocatingIt) {
  WorkDir dir;
  writeSoundSystem(dir);
  dir.write("Settings.txt", "Dimensions 100000\nS 1\nG 1\nC 2\nB 2\nM 1\n"
                            "E 0\nN 10\n");
  const ProgramRun run = testing::runProgramIn(dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.substr(0, run.err.find('\n')),
            "Matrix0/Matice.txt: only 4 of the 10000000000 numbers needed");
  EXPECT_FALSE(dir.exists("Matrix0/RESULTS_FF.txt"));
}

TEST(InputCheckTest, RaisesCountsBelowOneWithAWarning) {
  RunSettings settings;
  settings.SolverThreadCount = 0;
  settings.GeneratorThreadCount = -2;
  settings.HistogramPrecision = 0;
  const SettingsCheck check = checkSettings(settings);
  EXPECT_TRUE(check.errors.empty());
  ASSERT_EQ(check.warnings.size(), 3u);
  EXPECT_EQ(check.warnings[0], "Settings.txt: SolverThreadCount 0 is below 1; using 1");
  EXPECT_EQ(check.warnings[1],
            "Settings.txt: GeneratorThreadCount -2 is below 1; using 1");
  EXPECT_EQ(check.warnings[2],
            "Settings.txt: HistogramPrecision 0 is below 1; using 1");
  EXPECT_EQ(check.settings.SolverThreadCount, 1);
  EXPECT_EQ(check.settings.GeneratorThreadCount, 1);
  EXPECT_EQ(check.settings.HistogramPrecision, 1);
  EXPECT_EQ(settings.SolverThreadCount, 0);  // what was read stays as read

  // Generator threads play no part in sampling: left as they are.
  RunSettings sampling;
  sampling.ExactDistributions = false;
  sampling.GeneratorThreadCount = 0;
  const SettingsCheck checked = checkSettings(sampling);
  EXPECT_TRUE(checked.warnings.empty());
  EXPECT_EQ(checked.settings.GeneratorThreadCount, 0);
}

// Input files are read only when they are regular files; anything else is
// refused with the system's reason, and tokens are quoted short and
// printable.
TEST(InputFileCheckTest, RefusesWhatIsNotARegularReadableFile) {
  WorkDir dir;
  dir.write("Settings.txt", kTwoUnknowns);
  writeSoundSystem(dir);
  const std::filesystem::path folder = dir.path() / "Matrix0";
  std::filesystem::remove(folder / "Matice.txt");
  std::filesystem::create_directory(folder / "Matice.txt");
  std::filesystem::remove(folder / "RealRHS.txt");
  ASSERT_EQ(::mkfifo((folder / "RealRHS.txt").c_str(), 0644), 0);
  std::filesystem::remove(folder / "IntRHS.txt");
  std::filesystem::create_symlink("IntRHS.txt", folder / "IntRHS.txt");
  std::filesystem::remove(folder / "NormalRHS.txt");
  std::filesystem::create_symlink("/dev/zero", folder / "NormalRHS.txt");
  expectRefused(dir, testing::runProgramIn(dir),
                "Matrix0/Matice.txt: is not a regular file\n"
                "Matrix0/RealRHS.txt: is not a regular file\n"
                "Matrix0/IntRHS.txt: Too many levels of symbolic links\n"
                "Matrix0/NormalRHS.txt: is not a regular file\n");
}

TEST(InputFileCheckTest, AFileThatCannotBeOpenedGivesTheSystemsReason) {
  WorkDir dir;
  dir.write("Settings.txt", kTwoUnknowns);
  writeSoundSystem(dir);
  std::filesystem::permissions(dir.path() / "Matrix0/UniformRHS.txt",
                               std::filesystem::perms::none);
  std::string runner;
  if (::geteuid() == 0) {
    // Permissions do not bind root: the program runs as nobody, in a folder
    // opened to everybody.
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(dir.path())) {
      if (entry.path().filename() != "UniformRHS.txt") {
        std::filesystem::permissions(entry.path(),
                                     std::filesystem::perms::all);
      }
    }
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    runner = "setpriv --reuid=65534 --regid=65534 --clear-groups";
  }
  expectRefused(dir, testing::runProgramFrom(dir.path(), {}, runner),
                "Matrix0/UniformRHS.txt: Permission denied\n");
}

TEST(InputFileCheckTest, ReadsThroughAByteOrderMarkAndRefusesUnderflow) {
  WorkDir dir;
  dir.write("Settings.txt", std::string("\xEF\xBB\xBF") + kTwoUnknowns);
  writeSoundSystem(dir);
  dir.write("Matrix0/Matice.txt", "\xEF\xBB\xBF" "2 1\n1 3\n");
  ASSERT_EQ(testing::runProgramIn(dir).status, 0);

  WorkDir bad;
  bad.write("Settings.txt", kTwoUnknowns);
  writeSoundSystem(bad);
  bad.write("Matrix0/RealRHS.txt", "1e-999 4\n");
  bad.write("Matrix0/IntRHS.txt", std::string(10'000'000, '7'));
  bad.write("Matrix0/NormalRHS.txt", std::string("\x7f" "ELF\x02\x01", 6));
  expectRefused(
      bad, testing::runProgramIn(bad),
      "Matrix0/RealRHS.txt: \"1e-999\" is too close to 0 for double (it "
      "would be read as 0)\n"
      "Matrix0/IntRHS.txt: \"7777777777777777777777777777777777777777...\" "
      "is not a number\n"
      "Matrix0/NormalRHS.txt: \"\\x7fELF\\x02\\x01\" is not a number\n");
}

}  // namespace
}  // namespace linprob
