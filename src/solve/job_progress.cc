#include "solve/job_progress.h"

#include <string>

#include "base/console.h"

namespace linprob {
namespace {

constexpr std::uint64_t kProgressInterval = 50000;

}  // namespace

void JobProgress::solved(std::uint64_t jobs) {
  replayed(jobs);
  const std::uint64_t after =
      solved_.fetch_add(jobs, std::memory_order_relaxed) + jobs;
  if ((after - jobs) / kProgressInterval == after / kProgressInterval) {
    return;
  }
  std::lock_guard<std::mutex> lock(printMutex_);
  // The lines of one call in one write: a chunk counted by halves passes
  // thousands of multiples at once.
  std::string lines;
  for (std::uint64_t mark = printed_ + kProgressInterval; mark <= after;
       mark += kProgressInterval) {
    if (!lines.empty()) lines += '\n';
    lines += "I have solved " + std::to_string(mark) + " jobs already!";
    printed_ = mark;
  }
  printJobLine(lines);
}

}  // namespace linprob
