#include "base/console.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

namespace linprob {
namespace {

std::atomic<bool> showingLines{true};
std::atomic<bool> showingJobLines{true};

struct StatusLine {
  std::mutex mutex;  // guards text and orders the writes to both streams
  std::string text;  // empty: no status line is shown
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
  // One fwrite per line: the C stream locks itself for the whole call.
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  if (!status.text.empty()) writeToStderr("\r" + status.text);
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
