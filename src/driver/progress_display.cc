#include "driver/progress_display.h"

#include <algorithm>
#include <cstdio>

#include "base/console.h"
#include "cost/run_plan.h"

namespace linprob {
namespace {

constexpr std::chrono::milliseconds kRedrawInterval{500};

// "950", "12.3k", "3.12M", "1.05G" (three significant digits from 1k on).
std::string shortCount(double value) {
  const char* units[] = {"", "k", "M", "G", "T"};
  int unit = 0;
  while (value >= 999.5 && unit < 4) {
    value /= 1000.0;
    ++unit;
  }
  char text[32];
  if (unit == 0) {
    std::snprintf(text, sizeof text, "%.0f", value);
  } else {
    const int decimals = value < 9.995 ? 2 : value < 99.95 ? 1 : 0;
    std::snprintf(text, sizeof text, "%.*f%s", decimals, value, units[unit]);
  }
  return text;
}

}  // namespace

std::string progressLine(const ProgressSnapshot& snapshot) {
  std::string line = "Matrix" + std::to_string(snapshot.system) + ", mode " +
                     snapshot.mode + ", " + snapshot.family + ": ";
  // The three counts are read one by one while the phase runs.
  const double total = static_cast<double>(snapshot.total);
  const double done =
      static_cast<double>(std::min(snapshot.done, snapshot.total));
  char percent[16];
  std::snprintf(percent, sizeof percent, "%.1f%%",
                total > 0.0 ? 100.0 * done / total : 0.0);
  line += percent;
  if (done == 0.0 || snapshot.phaseSeconds <= 0.0) return line;

  const double replaysPerSecond = done / snapshot.phaseSeconds;
  // A job is replayed once per pass; the rate counts jobs, not replays.
  const double jobsPerReplay = static_cast<double>(snapshot.jobs) / total;
  line += ", " + shortCount(replaysPerSecond * jobsPerReplay) + " jobs/s, " +
          formatDuration((total - done) / replaysPerSecond) + " left";
  const double runLeft = snapshot.runReplays - snapshot.runReplaysDone;
  if (runLeft > 0.0 && snapshot.runSeconds > 0.0) {
    const double runRate = snapshot.runReplaysDone / snapshot.runSeconds;
    line += " (run: " + formatDuration(runLeft / runRate) + ")";
  }
  return line;
}

ProgressDisplay::ProgressDisplay(double runReplays) : runReplays_(runReplays) {
  ticker_.start([this](const std::stop_token& stop) { tick(stop); });
}

ProgressDisplay::~ProgressDisplay() {
  ticker_.requestStop();
  ticker_.join();
  clearStatusLine();
}

PhaseProgress& ProgressDisplay::beginPhase(int system, const PivotMode& mode,
                                           Family family) {
  std::lock_guard<std::mutex> lock(mutex_);
  progress_.jobs.store(0, std::memory_order_relaxed);
  progress_.total.store(0, std::memory_order_relaxed);
  progress_.done.store(0, std::memory_order_relaxed);
  inPhase_ = true;
  system_ = system;
  mode_ = mode.plainName;
  family_ = familyInfo(family).name;
  phaseStart_ = Clock::now();
  drawLocked();
  return progress_;
}

void ProgressDisplay::endPhase() {
  std::lock_guard<std::mutex> lock(mutex_);
  inPhase_ = false;
  replaysBefore_ += static_cast<double>(
      progress_.done.load(std::memory_order_relaxed));
  clearStatusLine();
}

void ProgressDisplay::tick(const std::stop_token& stop) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop.stop_requested()) {
    // Wakes early only to stop.
    wake_.wait_for(lock, stop, kRedrawInterval, [] { return false; });
    if (!stop.stop_requested() && inPhase_) drawLocked();
  }
}

void ProgressDisplay::drawLocked() {
  const Clock::time_point now = Clock::now();
  ProgressSnapshot snapshot;
  snapshot.system = system_;
  snapshot.mode = mode_;
  snapshot.family = family_;
  snapshot.jobs = progress_.jobs.load(std::memory_order_relaxed);
  snapshot.total = progress_.total.load(std::memory_order_relaxed);
  snapshot.done = progress_.done.load(std::memory_order_relaxed);
  snapshot.phaseSeconds =
      std::chrono::duration<double>(now - phaseStart_).count();
  snapshot.runReplays = runReplays_;
  snapshot.runReplaysDone = replaysBefore_ + static_cast<double>(snapshot.done);
  snapshot.runSeconds = std::chrono::duration<double>(now - runStart_).count();
  drawStatusLine(progressLine(snapshot));
}

}  // namespace linprob
