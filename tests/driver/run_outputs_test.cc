// End-to-end runs about where the run's output goes: no existing link, FIFO
// or file is ever written through, no open waits on a FIFO, folders that
// cannot be made and a standard output that fails are reported with the
// system's reason, and files left by an earlier run are named, not touched.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "support/program_run.h"

namespace linprob {
namespace {

namespace fs = std::filesystem;
using testing::ProgramRun;
using testing::WorkDir;

// The diagonal system, 2 cells per entry and 5 bands.
void writeSmallRun(const WorkDir& dir) {
  dir.write("Settings.txt", testing::enumerationSettings(1, 1, 2));
  testing::writeDiagonalSystem(dir);
}

// A time limit around the program: a run that waits on a FIFO ends there
// (status 124) instead of hanging the test.
const char* const kGuard = "timeout -k 5 120";

// The names an earlier version wrote through, each made a link or a FIFO:
// at the temporary names (a link to a file outside, a hard link to it, a
// link to /dev/null, a FIFO) and at targets (a FIFO, a link to the file
// outside). The run writes every file, the victim keeps its content, and
// what was planted at the temporary names stays as it was.
TEST(RunOutputsTest, NoLinkOrFifoAtAnOutputNameIsWrittenThrough) {
  WorkDir dir;
  WorkDir outside;
  writeSmallRun(dir);
  outside.write("victim", "KEEP\n");
  const fs::path victim = outside.path() / "victim";
  const fs::path root = dir.path();
  fs::create_directories(root / "Export");
  fs::create_directories(root / "Report");
  fs::create_symlink(victim, root / "Export/Results_X0.csv.tmp");
  fs::create_hard_link(victim, root / "Export/Results_X1.csv.tmp");
  fs::create_symlink("/dev/null", root / "Report/results.json.tmp");
  ASSERT_EQ(::mkfifo((root / "Matrix0/RESULTS_FF.txt.tmp").c_str(), 0644), 0);
  ASSERT_EQ(::mkfifo((root / "Matrix0/RESULTS_TF.txt").c_str(), 0644), 0);
  fs::create_symlink(victim, root / "Report/index.html");

  const ProgramRun run = testing::runProgramFrom(root, {"-q"}, kGuard);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(outside.read("victim"), "KEEP\n");
  EXPECT_EQ(fs::hard_link_count(victim), 2u);
  for (const char* file :
       {"Matrix0/RESULTS_FF.txt", "Matrix0/RESULTS_TF.txt",
        "Export/Results_X0.csv", "Export/Results_X1.csv",
        "Report/results.json", "Report/index.html"}) {
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(root / file))) << file;
    EXPECT_NE(dir.read(file), "") << file;
  }
  EXPECT_TRUE(nlohmann::json::accept(dir.read("Report/results.json")));
  EXPECT_TRUE(fs::is_symlink(root / "Export/Results_X0.csv.tmp"));
  EXPECT_TRUE(fs::is_symlink(root / "Report/results.json.tmp"));
  EXPECT_TRUE(fs::is_fifo(root / "Matrix0/RESULTS_FF.txt.tmp"));
  EXPECT_EQ(dir.read("Export/Results_X1.csv.tmp"), "KEEP\n");
}

// The lock file is never followed, created through a link or waited on:
// whatever is at its name other than a regular file refuses the run. A FIFO
// at Settings.txt is refused without waiting too.
TEST(RunOutputsTest, TheLockFileIsNeverFollowedNorWaitedOn) {
  WorkDir outside;
  outside.write("victim", "KEEP\n");
  const fs::path victim = outside.path() / "victim";
  for (int kind = 0; kind < 3; ++kind) {
    WorkDir dir;
    writeSmallRun(dir);
    const fs::path lock = dir.path() / ".linprob.lock";
    if (kind == 0) {
      fs::create_symlink(victim, lock);
    } else if (kind == 1) {
      fs::create_symlink(outside.path() / "created", lock);
    } else {
      ASSERT_EQ(::mkfifo(lock.c_str(), 0644), 0);
    }
    const ProgramRun run = testing::runProgramFrom(dir.path(), {}, kGuard);
    EXPECT_EQ(run.status, 1) << kind;
    EXPECT_EQ(run.err, ".linprob.lock: is not a regular file\n") << kind;
    EXPECT_FALSE(dir.exists("Matrix0/RESULTS_FF.txt")) << kind;
  }
  EXPECT_EQ(outside.read("victim"), "KEEP\n");
  EXPECT_FALSE(fs::exists(outside.path() / "created"));

  WorkDir fifo;
  writeSmallRun(fifo);
  fs::remove(fifo.path() / "Settings.txt");
  ASSERT_EQ(::mkfifo((fifo.path() / "Settings.txt").c_str(), 0644), 0);
  const ProgramRun run = testing::runProgramFrom(fifo.path(), {}, kGuard);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Settings.txt: is not a regular file\n");
}

// Output folders that cannot be made are reported with the system's reason
// (or as a link that leads nowhere); the summaries are written, and the run
// ends with status 3.
TEST(RunOutputsTest, FoldersThatCannotBeMadeGiveTheReason) {
  WorkDir dir;
  writeSmallRun(dir);
  dir.write("Export", "a file where the folder should be");
  dir.write("Report", "another");
  const ProgramRun run = testing::runProgramIn(dir, {"-q"});
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err,
            "Export/: cannot be created: Not a directory\n"
            "Report/: cannot be created: Not a directory\n");
  EXPECT_TRUE(dir.exists("Matrix0/RESULTS_TT.txt"));

  // A link at the name is followed; one that leads nowhere is said so.
  WorkDir linked;
  writeSmallRun(linked);
  fs::create_symlink(linked.path() / "moved" / "Report", linked.path() / "Report");
  const ProgramRun dangling = testing::runProgramIn(linked, {"-q"});
  EXPECT_EQ(dangling.status, 3);
  EXPECT_EQ(dangling.err, "Report/: is a link that leads nowhere\n");
  EXPECT_TRUE(linked.exists("Export/Results_X1.csv"));
  EXPECT_FALSE(linked.exists("moved"));
}

// Standard output that fails (a reader that closed the pipe, a full
// device) is reported once with the system's reason; the run still writes
// every file and ends with status 3. A request for help says so too.
TEST(RunOutputsTest, AFailedStandardOutputIsReportedOnceAndTheRunGoesOn) {
  for (const auto& [kind, reason] :
       {std::pair{testing::BrokenOutput::kClosedPipe, "Broken pipe"},
        std::pair{testing::BrokenOutput::kFullDevice,
                  "No space left on device"}}) {
    WorkDir dir;
    writeSmallRun(dir);
    const ProgramRun run = testing::runWithBrokenOutput(dir, kind);
    EXPECT_EQ(run.status, 3) << reason;
    EXPECT_EQ(run.err, std::string("standard output: cannot be written: ") +
                           reason + "; the run went on without it\n");
    EXPECT_TRUE(dir.exists("Export/Results_X1.csv")) << reason;
    EXPECT_TRUE(dir.exists("Report/index.html")) << reason;

    const ProgramRun help = testing::runWithBrokenOutput(dir, kind, {"--help"});
    EXPECT_EQ(help.status, 3) << reason;
    EXPECT_EQ(help.err,
              std::string("standard output: cannot be written: ") + reason +
                  "\n");
  }
}

// A rerun with fewer unknowns names the earlier run's CSV files of the
// unknowns it does not have, once, and leaves them as they are.
TEST(RunOutputsTest, ExportsOfUnknownsBeyondTheRunAreNamedNotTouched) {
  WorkDir dir;
  writeSmallRun(dir);
  dir.write("Export/Results_X2.csv", "from a run of three unknowns\n");
  const ProgramRun run = testing::runProgramIn(dir, {"-q"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err,
            "Export/: left from an earlier run with more unknowns (this run "
            "has 2): Results_X2.csv\n");
  EXPECT_EQ(dir.read("Export/Results_X2.csv"),
            "from a run of three unknowns\n");
}

}  // namespace
}  // namespace linprob
