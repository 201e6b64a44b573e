#include "base/output_file.h"

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <stop_token>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace linprob {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempDir;

// The names in `dir`, other than those given.
std::vector<std::string> namesIn(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.prefix())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(OutputFileTest, TheTargetAppearsOnlyWhenCommitted) {
  TempDir dir;
  const std::string target = dir.write("out.txt", "earlier\n");
  {
    OutputFile file(target);
    ASSERT_TRUE(file.open().ok());
    // A name of its own beside the target, never taken for the target's
    // kind of file.
    const fs::path temporary = file.temporary();
    EXPECT_EQ(temporary.parent_path(), fs::path(target).parent_path());
    EXPECT_EQ(temporary.extension(), ".tmp");
    EXPECT_EQ(temporary.filename().string().rfind("out.txt.", 0), 0u);
    // More than one buffer's worth, with a flush per line.
    for (int k = 0; k < 20000; ++k) file.stream() << "line " << k << std::endl;
    EXPECT_EQ(readFile(target), "earlier\n");
    ASSERT_TRUE(file.commit().ok());
    EXPECT_EQ(file.temporary(), "");
  }
  const std::string text = readFile(target);
  EXPECT_EQ(text.substr(0, 14), "line 0\nline 1\n");
  EXPECT_EQ(text.substr(text.size() - 11), "line 19999\n");
  EXPECT_EQ(namesIn(dir), std::vector<std::string>{"out.txt"});
}

TEST(OutputFileTest, AnUncommittedOrStoppedFileLeavesNoTemporary) {
  TempDir dir;
  const std::string target = dir.write("out.txt", "earlier\n");
  {
    OutputFile file(target);
    ASSERT_TRUE(file.open().ok());
    file.stream() << "half" << std::endl;
    EXPECT_TRUE(fs::exists(file.temporary()));
  }
  EXPECT_EQ(namesIn(dir), std::vector<std::string>{"out.txt"});

  // A stop fails the stream within one block; the commit then removes the
  // temporary and the target keeps its content.
  std::stop_source stop;
  OutputFile stopped(target);
  ASSERT_TRUE(stopped.open(stop.get_token()).ok());
  stopped.stream() << "first part" << std::endl;
  stop.request_stop();
  for (int k = 0; k < 20000 && stopped.stream(); ++k) {
    stopped.stream() << "line " << k << std::endl;
  }
  EXPECT_FALSE(stopped.stream());
  EXPECT_EQ(stopped.commit().message(),
            "cannot be written: Operation canceled");
  EXPECT_EQ(readFile(target), "earlier\n");
  EXPECT_EQ(namesIn(dir), std::vector<std::string>{"out.txt"});
}

TEST(OutputFileTest, FailuresGiveTheSystemsReason) {
  TempDir dir;
  // Writes beyond 1 KiB fail (EFBIG) instead of raising SIGXFSZ.
  struct rlimit before {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = before;
  small.rlim_cur = 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  OutputFile large(dir.path("large.txt"));
  const Status opened = large.open();
  for (int k = 0; k < 20000 && opened.ok(); ++k) large.stream() << k << '\n';
  const Status committed = large.commit();
  ::setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, previous);
  ASSERT_TRUE(opened.ok());
  EXPECT_EQ(committed.message(), "cannot be written: File too large");
  EXPECT_TRUE(namesIn(dir).empty());

  OutputFile nowhere(dir.path("absent/out.txt"));
  EXPECT_EQ(nowhere.open().message(),
            "cannot be written: No such file or directory");
}

// An output folder link that leads nowhere, or round in a loop, is said
// so, and nothing is made through it.
TEST(OutputFileTest, AnOutputFolderLinkThatLeadsNowhereIsSaidSo) {
  TempDir dir;
  fs::create_symlink(dir.path("gone/deeper"), dir.path("Report"));
  EXPECT_EQ(makeOutputFolder(dir.path("Report/")).message(),
            "is a link that leads nowhere");
  EXPECT_FALSE(fs::exists(dir.path("gone")));
  fs::create_symlink(dir.path("Loop"), dir.path("Loop"));
  EXPECT_EQ(makeOutputFolder(dir.path("Loop")).message(),
            "cannot be created: Too many levels of symbolic links");
}

}  // namespace
}  // namespace linprob
