#include "base/console.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <string>

namespace linprob {
namespace {

std::atomic<bool> showingLines{true};
std::atomic<bool> showingJobLines{true};

struct StatusLine {
  std::mutex mutex;  // guards text and outputError, orders the writes
  std::string text;  // empty: no status line is shown
  int outputError = 0;  // the first failure of standard output, 0 while none
};

StatusLine& statusLine() {
  static StatusLine line;
  return line;
}

void writeToStderr(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

// A carriage return, `width` blanks and a carriage return: erases the text of
// that width on a terminal.
std::string erasure(std::size_t width) {
  std::string text(width + 2, ' ');
  text.front() = '\r';
  text.back() = '\r';
  return text;
}

// Writes `text` to standard output unless it has failed; keeps the reason
// of a failure. Called with the mutex held.
void writeToStdout(StatusLine& status, std::string_view text) {
  if (status.outputError != 0) return;
  // One fwrite per line: the C stream locks itself for the whole call.
  errno = 0;
  const bool wrote = std::fwrite(text.data(), 1, text.size(), stdout) ==
                     text.size();
  if (wrote && std::fflush(stdout) == 0) return;
  const int error = errno == 0 ? EIO : errno;
  std::clearerr(stdout);
  if (error != EINTR) status.outputError = error;
}

}  // namespace

void printLine(std::string_view line) {
  if (!showingLines.load(std::memory_order_relaxed)) return;
  std::string text;
  text.reserve(line.size() + 1);
  text.append(line);
  text.push_back('\n');
  StatusLine& status = statusLine();
  std::lock_guard<std::mutex> lock(status.mutex);
  if (!status.text.empty()) writeToStderr(erasure(status.text.size()));
  writeToStdout(status, text);
  if (!status.text.empty()) writeToStderr("\r" + status.text);
}

void printText(std::string_view text) {
  if (!showingLines.load(std::memory_order_relaxed)) return;
  StatusLine& status = statusLine();
  std::lock_guard<std::mutex> lock(status.mutex);
  writeToStdout(status, text);
}

void printError(std::string_view message) {
  StatusLine& status = statusLine();
  std::lock_guard<std::mutex> lock(status.mutex);
  if (!status.text.empty()) writeToStderr(erasure(status.text.size()));
  std::cerr.clear();
  std::cerr << message << std::endl;
  if (!status.text.empty()) writeToStderr("\r" + status.text);
}

Status standardOutputStatus() {
  StatusLine& status = statusLine();
  std::lock_guard<std::mutex> lock(status.mutex);
  if (status.outputError == 0) return Status();
  return Status::error(std::string("cannot be written: ") +
                       std::strerror(status.outputError));
}

void printJobLine(std::string_view line) {
  if (jobLinesShown()) printLine(line);
}

void showLines(bool shown) {
  showingLines.store(shown, std::memory_order_relaxed);
}

void showJobLines(bool shown) {
  showingJobLines.store(shown, std::memory_order_relaxed);
}

bool jobLinesShown() {
  return showingJobLines.load(std::memory_order_relaxed);
}

void drawStatusLine(std::string_view text) {
  StatusLine& status = statusLine();
  std::lock_guard<std::mutex> lock(status.mutex);
  std::string drawn = "\r";
  drawn.append(text);
  // Blanks over what the previous, longer text left behind.
  if (status.text.size() > text.size()) {
    drawn.append(status.text.size() - text.size(), ' ');
  }
  status.text.assign(text);
  writeToStderr(drawn);
}

void clearStatusLine() {
  StatusLine& status = statusLine();
  std::lock_guard<std::mutex> lock(status.mutex);
  if (status.text.empty()) return;
  writeToStderr(erasure(status.text.size()));
  status.text.clear();
}

}  // namespace linprob
