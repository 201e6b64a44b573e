#include "base/output_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace linprob {
namespace {

using testing::readFile;
using testing::TempDir;

TEST(OutputFileTest, TheTargetAppearsOnlyWhenCommitted) {
  TempDir dir;
  const std::string target = dir.write("out.txt", "earlier\n");
  {
    OutputFile file(target);
    ASSERT_TRUE(file.open().ok());
    // More than one buffer's worth, with a flush per line.
    for (int k = 0; k < 20000; ++k) file.stream() << "line " << k << std::endl;
    EXPECT_EQ(readFile(target), "earlier\n");
    ASSERT_TRUE(file.commit().ok());
  }
  const std::string text = readFile(target);
  EXPECT_EQ(text.substr(0, 14), "line 0\nline 1\n");
  EXPECT_EQ(text.substr(text.size() - 11), "line 19999\n");
  EXPECT_FALSE(std::filesystem::exists(target + ".tmp"));
}

TEST(OutputFileTest, AnUncommittedFileLeavesNoTemporary) {
  TempDir dir;
  const std::string target = dir.write("out.txt", "earlier\n");
  {
    OutputFile file(target);
    ASSERT_TRUE(file.open().ok());
    file.stream() << "half" << std::endl;
    EXPECT_TRUE(std::filesystem::exists(target + ".tmp"));
  }
  EXPECT_FALSE(std::filesystem::exists(target + ".tmp"));
  EXPECT_EQ(readFile(target), "earlier\n");
}

TEST(OutputFileTest, FailuresGiveTheSystemsReason) {
  TempDir dir;
  // The temporary's name leads to a device that is always full.
  std::filesystem::create_symlink("/dev/full", dir.path("full.txt.tmp"));
  OutputFile full(dir.path("full.txt"));
  ASSERT_TRUE(full.open().ok());
  full.stream() << "x" << std::endl;
  EXPECT_EQ(full.commit().message(), "cannot be written: No space left on device");
  EXPECT_FALSE(std::filesystem::exists(dir.path("full.txt")));
  EXPECT_FALSE(std::filesystem::is_symlink(dir.path("full.txt.tmp")));

  OutputFile nowhere(dir.path("absent/out.txt"));
  EXPECT_EQ(nowhere.open().message(),
            "cannot be written: No such file or directory");
}

}  // namespace
}  // namespace linprob
