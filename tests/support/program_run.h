// Test support: a temporary working directory with input files, a run of the
// built linprob program (with arguments) with its output captured: to its end
// (runProgramIn, runProgramFrom), with a standard output that fails
// (runWithBrokenOutput), or started in the background so that a test can
// signal it (StartedProgram); the files a run leaves; and a small diagonal
// system with the settings of a small enumeration run.
#ifndef LINPROB_TESTS_SUPPORT_PROGRAM_RUN_H_
#define LINPROB_TESTS_SUPPORT_PROGRAM_RUN_H_

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

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
// `runner`, when given, stands before the program on the shell's command
// line (a command that runs it, or settings such as "ulimit -f 1;").
inline ProgramRun runProgramFrom(const std::filesystem::path& startDir,
                                 const std::vector<std::string>& arguments,
                                 const std::string& runner = "") {
  std::string capture = startDir.string();
  while (capture.size() > 1 && capture.back() == '/') capture.pop_back();
  const std::string outFile = capture + ".stdout";
  const std::string errFile = capture + ".stderr";
  std::string command = "cd " + shellQuoted(startDir.string()) + " && " +
                        runner + " " + shellQuoted(LINPROB_BINARY);
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

// Report/results.json without its "run" object, which records how the run
// went (the thread counts used, the wall time) rather than what it found.
inline std::string withoutRunObject(const std::string& resultsJson) {
  nlohmann::ordered_json document =
      nlohmann::ordered_json::parse(resultsJson, nullptr, false);
  if (document.is_discarded() || !document.is_object()) return resultsJson;
  document.erase("run");
  return document.dump();
}

// diag(2, 4) with b = (2, 8): x = (1, 2), as Matrix0/. Complete pivoting
// moves unknown 1 to position 0; the other modes keep the identity order.
inline void writeDiagonalSystem(const WorkDir& dir) {
  dir.write("Matrix0/Matice.txt", "2 0\n0 4\n");
  dir.write("Matrix0/RealRHS.txt", "2 8\n");
  dir.write("Matrix0/IntRHS.txt", "1 3\n4 12\n");
  dir.write("Matrix0/NormalRHS.txt", "2 1\n8 4\n");
  dir.write("Matrix0/UniformRHS.txt", "0 4\n0 8\n");
}

// Settings.txt of an enumeration run of one system of two unknowns with 5
// bands, `cells` cells per entry and the given thread counts.
inline std::string enumerationSettings(int solvers, int generators,
                                       int cells) {
  return "Dimensions 2\nSolverThreadCount " + std::to_string(solvers) +
         "\nGeneratorThreadCount " + std::to_string(generators) +
         "\nIntegrationPrecision " + std::to_string(cells) +
         "\nHistogramPrecision 5\nMaxMatrix 1\nExactDistributions 1\n"
         "SampleCount 100\n";
}

// Every file under `root` with its content, by path relative to `root`;
// Report/results.json as withoutRunObject gives it, Report/index.html as
// "<page>".
inline std::map<std::string, std::string> filesUnder(
    const std::filesystem::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(root)) {
    const std::string relative =
        std::filesystem::relative(entry.path(), root).string();
    files[relative] =
        entry.is_directory() ? "<folder>" : readFile(entry.path().string());
    if (relative == "Report/results.json") {
      files[relative] = withoutRunObject(files[relative]);
    }
    // The page embeds results.json, run object included; its content is
    // compared through results.json.
    if (relative == "Report/index.html") files[relative] = "<page>";
  }
  return files;
}

// Where a started program's standard output goes: a file outside its
// folder, or a pipe of one page that the test holds open and never reads
// (writes block once it is full).
enum class StartedOutput { kFile, kUnreadPipe };

// The program started in `dir` in the background with `arguments`, its
// output going to files outside `dir` (or standard output to an unread
// pipe).
class StartedProgram {
 public:
  explicit StartedProgram(const WorkDir& dir,
                          std::vector<std::string> arguments = {},
                          StartedOutput output = StartedOutput::kFile)
      : arguments_(std::move(arguments)) {
    const std::string folder = dir.path().string();
    const std::string out = outputs_.path("stdout");
    const std::string err = outputs_.path("stderr");
    std::vector<char*> argv{const_cast<char*>(LINPROB_BINARY)};
    for (std::string& argument : arguments_) argv.push_back(argument.data());
    argv.push_back(nullptr);
    int ends[2] = {-1, -1};
    if (output == StartedOutput::kUnreadPipe) {
      if (::pipe2(ends, O_CLOEXEC) != 0) return;
      ::fcntl(ends[1], F_SETPIPE_SZ, 4096);
      unreadPipe_ = ends[0];
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      // Only calls that are safe after fork() in a threaded process.
      if (::chdir(folder.c_str()) != 0) ::_exit(126);
      const int o = ends[1] >= 0 ? ends[1]
                                 : ::open(out.c_str(),
                                          O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (o < 0 || e < 0) ::_exit(126);
      ::dup2(o, 1);
      ::dup2(e, 2);
      ::execv(LINPROB_BINARY, argv.data());
      ::_exit(127);
    }
    if (ends[1] >= 0) ::close(ends[1]);
  }
  ~StartedProgram() {
    if (pid_ > 0 && !waited_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (unreadPipe_ >= 0) ::close(unreadPipe_);
  }

  // With StartedOutput::kUnreadPipe: waits until the program has written
  // to the pipe and then added nothing for `still`, being held up by the
  // full pipe; false if that is not so within `limit` (a guard, not a
  // measurement).
  bool waitForStalledPipe(std::chrono::milliseconds still,
                          std::chrono::seconds limit) const {
    const auto end = std::chrono::steady_clock::now() + limit;
    int last = 0;
    auto since = std::chrono::steady_clock::now();
    for (;;) {
      int held = 0;
      if (::ioctl(unreadPipe_, FIONREAD, &held) != 0) return false;
      const auto now = std::chrono::steady_clock::now();
      if (held != last) {
        last = held;
        since = now;
      } else if (held > 0 && now - since >= still) {
        return true;
      }
      if (now > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  StartedProgram(const StartedProgram&) = delete;
  StartedProgram& operator=(const StartedProgram&) = delete;

  void signal(int number) const { ::kill(pid_, number); }
  // Freezes the program where it is (SIGSTOP), so that a signal sent then is
  // taken in that very stage once it goes on (resume(), SIGCONT).
  void freeze() const { ::kill(pid_, SIGSTOP); }
  void resume() const { ::kill(pid_, SIGCONT); }

  // Waits for the program to end; status -1 when a signal ended it. With a
  // `limit`, a program still running then is killed (status -1).
  ProgramRun wait(std::chrono::seconds limit = std::chrono::seconds(0)) {
    int raw = 0;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (limit.count() > 0 && ::waitpid(pid_, &raw, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > end) ::kill(pid_, SIGKILL);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (limit.count() == 0) ::waitpid(pid_, &raw, 0);
    waited_ = true;
    ProgramRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = readFile(outputs_.path("stdout"));
    run.err = readFile(outputs_.path("stderr"));
    return run;
  }

 private:
  TempDir outputs_;
  std::vector<std::string> arguments_;
  pid_t pid_ = -1;
  bool waited_ = false;
  int unreadPipe_ = -1;
};

// How a run's standard output is broken: a pipe whose reader has closed it
// before the program starts (every write fails with EPIPE), or a device
// that is always full (ENOSPC).
enum class BrokenOutput { kClosedPipe, kFullDevice };

// Runs the program in `dir` with `arguments` and its standard output broken
// as `kind`; the run's `out` stays empty.
inline ProgramRun runWithBrokenOutput(const WorkDir& dir, BrokenOutput kind,
                                      std::vector<std::string> arguments = {}) {
  TempDir outputs;
  const std::string folder = dir.path().string();
  const std::string err = outputs.path("stderr");
  std::vector<char*> argv{const_cast<char*>(LINPROB_BINARY)};
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  // The reader is closed before the program exists.
  int ends[2] = {-1, -1};
  if (kind == BrokenOutput::kClosedPipe) {
    if (::pipe(ends) != 0) return {};
    ::close(ends[0]);
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(folder.c_str()) != 0) ::_exit(126);
    const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int o = kind == BrokenOutput::kClosedPipe
                      ? ends[1]
                      : ::open("/dev/full", O_WRONLY);
    const int in = ::open("/dev/null", O_RDONLY);
    if (o < 0 || e < 0 || in < 0) ::_exit(126);
    ::dup2(in, 0);
    ::dup2(o, 1);
    ::dup2(e, 2);
    ::execv(LINPROB_BINARY, argv.data());
    ::_exit(127);
  }
  if (kind == BrokenOutput::kClosedPipe) ::close(ends[1]);
  int raw = 0;
  ::waitpid(pid, &raw, 0);
  ProgramRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.err = readFile(err);
  return run;
}

// Waits until a file of `folder` whose name begins with `prefix` exists;
// false if none does within `limit` (a guard, not a measurement).
inline bool waitForFileNamed(const std::filesystem::path& folder,
                             const std::string& prefix,
                             std::chrono::seconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), last;
         !error && entry != last; entry.increment(error)) {
      if (entry->path().filename().string().rfind(prefix, 0) == 0) return true;
    }
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// Waits until `path` exists; false if it does not within `limit` (a guard
// against a hanging test, not a measurement).
inline bool waitForFile(const std::filesystem::path& path,
                        std::chrono::seconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!std::filesystem::exists(path)) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace linprob::testing

#endif  // LINPROB_TESTS_SUPPORT_PROGRAM_RUN_H_
