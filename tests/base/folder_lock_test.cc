#include "base/folder_lock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "support/temp_dir.h"

namespace linprob {
namespace {

using testing::TempDir;

TEST(FolderLockTest, OneHolderAtATimeAndNoFileLeftBehind) {
  TempDir dir;
  const std::string path = dir.path(".lock");
  std::optional<FolderLock> first(std::in_place);
  ASSERT_TRUE(first->acquire(path).ok());
  FolderLock second;
  EXPECT_EQ(second.acquire(path).message(),
            "another run is working in this folder");
  first.reset();
  EXPECT_FALSE(std::filesystem::exists(path));
  FolderLock third;
  EXPECT_TRUE(third.acquire(path).ok());

  FolderLock nowhere;
  EXPECT_EQ(nowhere.acquire(dir.path("absent/.lock")).message(),
            "cannot be created: No such file or directory");
}

}  // namespace
}  // namespace linprob
