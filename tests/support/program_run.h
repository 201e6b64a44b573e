// Test support: a temporary working directory with input files, and a run of
// the built linprob program inside it with its output captured.
#ifndef LINPROB_TESTS_SUPPORT_PROGRAM_RUN_H_
#define LINPROB_TESTS_SUPPORT_PROGRAM_RUN_H_

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace linprob::testing {

// A working directory for one run of the program.
class WorkDir {
 public:
  const std::filesystem::path& path() const { return root_; }

  void write(const std::string& relative, const std::string& text) const {
    const std::filesystem::path file = root_ / relative;
    std::filesystem::create_directories(file.parent_path());
    dir_.write(relative, text);
  }
  std::string read(const std::string& relative) const {
    return readFile(dir_.path(relative));
  }
  bool exists(const std::string& relative) const {
    return std::filesystem::exists(root_ / relative);
  }

 private:
  TempDir dir_;
  std::filesystem::path root_{dir_.prefix()};
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
  run.out = readFile(outFile.string());
  run.err = readFile(errFile.string());
  std::filesystem::remove(outFile);
  std::filesystem::remove(errFile);
  return run;
}

}  // namespace linprob::testing

#endif  // LINPROB_TESTS_SUPPORT_PROGRAM_RUN_H_
