// End-to-end runs stopped by a signal in the stages before and after the
// phases: the start-of-run check of a large system (alone and as --check),
// the CSV export and the Report/ folder. Each ends with 128 + the signal,
// the one line that says what was kept, no temporary left behind, and soon:
// the bound asserted is generous for a loaded machine; the latency measured
// is recorded as the test's property "latency_ms".
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "support/program_run.h"

namespace linprob {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using testing::ProgramRun;
using testing::WorkDir;

constexpr std::chrono::milliseconds kGenerousBound{3000};

// A diagonally dominant system of n unknowns: its check takes seconds.
void writeLargeSystem(const WorkDir& dir, int n) {
  std::ostringstream matrix;
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      matrix << (r == c ? n + 1.0 : ((r * 7 + c * 13) % 11) / 10.0) << ' ';
    }
    matrix << '\n';
  }
  std::string ones, pairs;
  for (int e = 0; e < n; ++e) {
    ones += "1 ";
    pairs += "0 2 ";
  }
  dir.write("Matrix0/Matice.txt", matrix.str());
  dir.write("Matrix0/RealRHS.txt", ones);
  dir.write("Matrix0/IntRHS.txt", pairs);
  dir.write("Matrix0/NormalRHS.txt", pairs);
  dir.write("Matrix0/UniformRHS.txt", pairs);
  dir.write("Settings.txt", "Dimensions " + std::to_string(n) +
                                "\nS 1 G 1 I 1 H 10 M 1 E 0 N 10\n");
}

// Sends `signal` (resuming a frozen program first when asked) and waits for
// the end; the time from the signal to the end is recorded.
ProgramRun stopWith(testing::StartedProgram& program, int signal,
                    bool frozen = false) {
  program.signal(signal);
  const Clock::time_point sent = Clock::now();
  if (frozen) program.resume();
  ProgramRun run = program.wait();
  const auto latency = std::chrono::duration_cast<std::chrono::milliseconds>(
      Clock::now() - sent);
  ::testing::Test::RecordProperty("latency_ms",
                                  static_cast<int>(latency.count()));
  EXPECT_LT(latency, kGenerousBound);
  return run;
}

int filesIn(const fs::path& folder) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    EXPECT_NE(entry.path().extension(), ".tmp") << name;
    ++count;
  }
  return count;
}

// Into the check of a large system (seconds of work), as a run (600
// unknowns, a second in) and as --check (1000 unknowns, half a second in):
// nothing is written, the plan is not printed.
TEST(RunStopsTest, ASignalStopsTheCheckOfALargeSystem) {
  for (const auto& [arguments, signal, name, unknowns, wait] :
       {std::tuple{std::vector<std::string>{}, SIGTERM, "SIGTERM", 600,
                   std::chrono::milliseconds(1000)},
        std::tuple{std::vector<std::string>{"--check"}, SIGHUP, "SIGHUP",
                   1000, std::chrono::milliseconds(500)}}) {
    WorkDir dir;
    writeLargeSystem(dir, unknowns);
    testing::StartedProgram program(dir, arguments);
    std::this_thread::sleep_for(wait);
    const ProgramRun run = stopWith(program, signal);
    EXPECT_EQ(run.status, 128 + signal);
    EXPECT_EQ(run.err, std::string("Interrupted by ") + name +
                           ": kept 0 completed summary files and 0 CSV "
                           "files; nothing unfinished was left\n");
    EXPECT_EQ(run.out.find("Pivot mode"), std::string::npos);
    EXPECT_EQ(run.out.find("Check:"), std::string::npos);
    EXPECT_FALSE(dir.exists(".linprob.lock"));
    EXPECT_FALSE(dir.exists("Export"));
  }
}

// A run of 2 unknowns of 20,000 bands (some tens of megabytes of files after
// the last phase), frozen as soon as a file of `folder` whose name begins
// with `prefix` is begun, signalled, and resumed: the signal meets the stage
// that writes it.
ProgramRun stopWhenBegun(const WorkDir& dir, const std::string& folder,
                         const std::string& prefix, int signal) {
  dir.write("Settings.txt", "D 2 S 1 G 1 I 2 H 20000 M 1 E 1 N 10\n");
  testing::writeDiagonalSystem(dir);
  testing::StartedProgram program(dir, {"-q"});
  EXPECT_TRUE(testing::waitForFileNamed(dir.path() / folder, prefix,
                                        std::chrono::seconds(600)));
  program.freeze();
  return stopWith(program, signal, true);
}

TEST(RunStopsTest, ASignalStopsTheCsvExport) {
  WorkDir dir;
  const ProgramRun run = stopWhenBegun(dir, "Export", "Results_X0.csv.", SIGINT);
  EXPECT_EQ(run.status, 128 + SIGINT);
  const int csv = filesIn(dir.path() / "Export");
  EXPECT_LT(csv, 2);
  EXPECT_EQ(run.err, "Interrupted by SIGINT: kept 4 completed summary files "
                     "and " + std::to_string(csv) + " CSV file" +
                         (csv == 1 ? "" : "s") +
                         "; nothing unfinished was left\n");
  EXPECT_FALSE(dir.exists("Report"));
}

// Met in the labelled arrays (built in memory, compressed: the longest to
// write) and in results.json, the two files written first, side by side.
TEST(RunStopsTest, ASignalStopsTheReport) {
  for (const char* file : {"results.nc.", "results.json."}) {
    SCOPED_TRACE(file);
    WorkDir dir;
    const ProgramRun run = stopWhenBegun(dir, "Report", file, SIGTERM);
    EXPECT_EQ(run.status, 128 + SIGTERM);
    const int report = filesIn(dir.path() / "Report");
    EXPECT_LT(report, 4);
    EXPECT_EQ(run.err, "Interrupted by SIGTERM: kept 4 completed summary "
                       "files, 2 CSV files and " +
                           std::to_string(report) + " report file" +
                           (report == 1 ? "" : "s") +
                           "; nothing unfinished was left\n");
    EXPECT_EQ(run.out.find("Report:"), std::string::npos);
    EXPECT_FALSE(dir.exists(".linprob.lock"));
  }
}

// Standard output to a pipe that nobody reads: once it is full, the thread
// printing waits there, and the others wait for it. A signal ends the run
// all the same, soon, as a stop.
TEST(RunStopsTest, ASignalStopsARunBlockedOnStandardOutput) {
  WorkDir dir;
  writeLargeSystem(dir, 4);
  dir.write("Settings.txt", "D 4 S 2 G 1 I 60 H 10 M 1 E 1 N 10\n");
  testing::StartedProgram program(dir, {}, testing::StartedOutput::kUnreadPipe);
  ASSERT_TRUE(program.waitForStalledPipe(std::chrono::milliseconds(300),
                                         std::chrono::seconds(60)));
  program.signal(SIGINT);
  const Clock::time_point sent = Clock::now();
  const ProgramRun run = program.wait(std::chrono::seconds(20));
  EXPECT_LT(Clock::now() - sent, kGenerousBound);
  EXPECT_EQ(run.status, 128 + SIGINT);
  EXPECT_EQ(run.err.rfind("Interrupted by SIGINT: kept ", 0), 0u) << run.err;
  EXPECT_FALSE(dir.exists(".linprob.lock"));
}

}  // namespace
}  // namespace linprob
