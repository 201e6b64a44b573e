// Test support: a temporary working directory with input files, and a run of
// the built linprob program inside it with its output captured.
#ifndef LINPROB_TESTS_DRIVER_PROGRAM_RUN_H_
#define LINPROB_TESTS_DRIVER_PROGRAM_RUN_H_

#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace linprob::testing {

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class WorkDir {
 public:
  WorkDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("linprob_run_" + std::to_string(::getpid()) + "_" +
             std::to_string(counter++) + "_" +
             std::to_string(std::chrono::steady_clock::now()
                                .time_since_epoch()
                                .count()));
    std::filesystem::create_directories(path_);
  }
  ~WorkDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  WorkDir(const WorkDir&) = delete;
  WorkDir& operator=(const WorkDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

  void write(const std::string& relative, const std::string& text) const {
    const std::filesystem::path file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << text;
  }
  std::string read(const std::string& relative) const {
    return readFile(path_ / relative);
  }
  bool exists(const std::string& relative) const {
    return std::filesystem::exists(path_ / relative);
  }

 private:
  std::filesystem::path path_;
};

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the built program with `dir` as its working directory.
inline ProgramRun runProgramIn(const WorkDir& dir) {
  const std::filesystem::path outFile = dir.path() / ".stdout";
  const std::filesystem::path errFile = dir.path() / ".stderr";
  const std::string command = "cd '" + dir.path().string() + "' && '" +
                              LINPROB_BINARY + "' >'" + outFile.string() +
                              "' 2>'" + errFile.string() + "' </dev/null";
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = readFile(outFile);
  run.err = readFile(errFile);
  std::filesystem::remove(outFile);
  std::filesystem::remove(errFile);
  return run;
}

}  // namespace linprob::testing

#endif  // LINPROB_TESTS_DRIVER_PROGRAM_RUN_H_
