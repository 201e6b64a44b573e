#include "base/console.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <string>

#include "base/stop_signals.h"

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

// How long a write to standard output waits for room at a time before it
// looks at the stop signals again.
constexpr int kWaitMilliseconds = 100;

// Waits until standard output takes more bytes (or has failed, which the
// write then reports). False once a stop signal has arrived and it still
// takes none: nobody may wait on a reader that does not read.
bool roomInStdout() {
  pollfd output{STDOUT_FILENO, POLLOUT, 0};
  for (;;) {
    const bool stopping = StopSignals::arrived();
    const int ready = ::poll(&output, 1, stopping ? 0 : kWaitMilliseconds);
    if (ready > 0 || (ready < 0 && errno != EINTR)) return true;
    if (stopping) return false;
  }
}

// Writes `text` to standard output unless it has failed; keeps the reason
// of a failure. Each write is at most PIPE_BUF bytes and waits for room
// first, so none blocks on a pipe nobody reads: once a stop signal has
// arrived, what does not fit is dropped. Called with the mutex held.
void writeToStdout(StatusLine& status, std::string_view text) {
  if (status.outputError != 0) return;
  while (!text.empty()) {
    if (!roomInStdout()) return;
    const std::size_t piece = std::min<std::size_t>(text.size(), PIPE_BUF);
    const ssize_t wrote = ::write(STDOUT_FILENO, text.data(), piece);
    if (wrote < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (wrote <= 0) {
      status.outputError = wrote < 0 ? errno : EIO;
      return;
    }
    text.remove_prefix(static_cast<std::size_t>(wrote));
  }
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
