// Test support: a temporary working directory with input files, a run of the
// built linprob program (with arguments) with its output captured, and the
// files a run leaves.
#ifndef LINPROB_TESTS_SUPPORT_PROGRAM_RUN_H_
#define LINPROB_TESTS_SUPPORT_PROGRAM_RUN_H_

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

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

// One argument quoted for the shell.
inline std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

// Runs the built program with `arguments`, started in `startDir`. Standard
// output and error are captured beside `startDir` (never inside it, so a
// test sees exactly the files the program wrote); standard input is empty.
inline ProgramRun runProgramFrom(const std::filesystem::path& startDir,
                                 const std::vector<std::string>& arguments) {
  std::string capture = startDir.string();
  while (capture.size() > 1 && capture.back() == '/') capture.pop_back();
  const std::string outFile = capture + ".stdout";
  const std::string errFile = capture + ".stderr";
  std::string command = "cd " + shellQuoted(startDir.string()) + " && " +
                        shellQuoted(LINPROB_BINARY);
  for (const std::string& argument : arguments) {
    command += " " + shellQuoted(argument);
  }
  command += " >" + shellQuoted(outFile) + " 2>" + shellQuoted(errFile) +
             " </dev/null";
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = readFile(outFile);
  run.err = readFile(errFile);
  std::filesystem::remove(outFile);
  std::filesystem::remove(errFile);
  return run;
}

// Runs the built program with `dir` as its working directory.
inline ProgramRun runProgramIn(const WorkDir& dir,
                               const std::vector<std::string>& arguments = {}) {
  return runProgramFrom(dir.path(), arguments);
}

// Every file under `root` with its content, by path relative to `root`.
inline std::map<std::string, std::string> filesUnder(
    const std::filesystem::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(root)) {
    const std::string relative =
        std::filesystem::relative(entry.path(), root).string();
    files[relative] =
        entry.is_directory() ? "<folder>" : readFile(entry.path().string());
  }
  return files;
}

}  // namespace linprob::testing

#endif  // LINPROB_TESTS_SUPPORT_PROGRAM_RUN_H_
