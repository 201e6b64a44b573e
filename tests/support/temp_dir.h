// A fresh, empty directory under the system's temporary folder for one test,
// removed with everything in it when the test ends. Paths are absolute, so a
// test never depends on the working directory.
#ifndef LINPROB_TESTS_SUPPORT_TEMP_DIR_H_
#define LINPROB_TESTS_SUPPORT_TEMP_DIR_H_

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace linprob::testing {

class TempDir {
 public:
  TempDir() {
    static std::atomic<int> counter{0};
    root_ = std::filesystem::temp_directory_path() /
            ("linprob_test_" + std::to_string(::getpid()) + "_" +
             std::to_string(counter.fetch_add(1)));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Absolute path of `name` inside the directory (not created).
  std::string path(const std::string& name) const {
    return (root_ / name).string();
  }
  // Writes `content` to `name` and returns its absolute path.
  std::string write(const std::string& name, const std::string& content) const {
    const std::string file = path(name);
    std::ofstream(file, std::ios::binary) << content;
    return file;
  }
  // The directory itself, with a trailing separator.
  std::string prefix() const { return root_.string() + "/"; }

 private:
  std::filesystem::path root_;
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in),
                     std::istreambuf_iterator<char>());
}

}  // namespace linprob::testing

#endif  // LINPROB_TESTS_SUPPORT_TEMP_DIR_H_
