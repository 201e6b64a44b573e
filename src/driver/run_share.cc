#include "driver/run_share.h"

#include <chrono>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <type_traits>
#include <variant>
#include <utility>

#include "base/console.h"
#include "driver/exit_status.h"

namespace linprob {
namespace {

constexpr std::int64_t kGoesOn = -1;

// How long a process that stops waits for the others to stop too: each
// looks at the stop at least every millisecond or so in a phase, so the
// processes of a launch that was signalled as a whole meet well within it.
constexpr std::chrono::milliseconds kStopsMeetWithin{500};

void putNumber(std::string& out, std::int64_t value) {
  char bytes[sizeof value];
  std::memcpy(bytes, &value, sizeof value);
  out.append(bytes, sizeof value);
}

std::int64_t takeNumber(const std::string& bytes, std::size_t& at) {
  std::int64_t value = 0;
  if (bytes.size() - at < sizeof value) {
    throw std::runtime_error("run start: cut short");
  }
  std::memcpy(&value, bytes.data() + at, sizeof value);
  at += sizeof value;
  return value;
}

}  // namespace

std::string toBytes(const RunStartNote& note) {
  std::string out;
  putNumber(out, note.endStatus ? *note.endStatus : kGoesOn);
  // Every option of the settings table, in its order.
  for (const SettingRule& rule : kSettings) {
    std::visit(
        [&](auto field) {
          putNumber(out, static_cast<std::int64_t>(note.settings.*field));
        },
        rule.field);
  }
  // And the four the command line sets.
  putNumber(out, static_cast<std::int64_t>(note.settings.points));
  putNumber(out, note.settings.digits ? *note.settings.digits : -1);
  putNumber(out, static_cast<std::int64_t>(note.settings.counting));
  putNumber(out, static_cast<std::int64_t>(note.settings.halvesMemory));
  return out;
}

RunStartNote runStartFromBytes(const std::string& bytes) {
  std::size_t at = 0;
  RunStartNote note;
  const std::int64_t status = takeNumber(bytes, at);
  if (status != kGoesOn) note.endStatus = static_cast<int>(status);
  for (const SettingRule& rule : kSettings) {
    const std::int64_t value = takeNumber(bytes, at);
    std::visit(
        [&](auto field) {
          using Value = std::remove_reference_t<decltype(note.settings.*field)>;
          note.settings.*field = static_cast<Value>(value);
        },
        rule.field);
  }
  note.settings.points = static_cast<PointKind>(takeNumber(bytes, at));
  const std::int64_t digits = takeNumber(bytes, at);
  if (digits >= 0) note.settings.digits = static_cast<int>(digits);
  note.settings.counting = static_cast<CountingChoice>(takeNumber(bytes, at));
  note.settings.halvesMemory =
      static_cast<std::uint64_t>(takeNumber(bytes, at));
  if (at != bytes.size()) throw std::runtime_error("run start: cut short");
  return note;
}

RunShare::RunShare(ProcessGroup* group)
    : group_(group != nullptr && group->size() > 1 ? group : nullptr) {
  if (isRoot()) return;
  showLines(false);
  standardError_ = std::cerr.rdbuf(held_.rdbuf());
}

RunShare::~RunShare() {
  if (standardError_ != nullptr) std::cerr.rdbuf(standardError_);
}

void RunShare::announceStart(const RunSettings& settings) {
  if (group_ == nullptr) return;
  RunStartNote note;
  note.settings = settings;
  std::string bytes = toBytes(note);
  group_->broadcast(bytes);
  started_ = true;
}

std::optional<int> RunShare::awaitStart(RunSettings& settings,
                                        std::optional<int> solverThreads) {
  std::string bytes;
  group_->broadcast(bytes);
  RunStartNote note = runStartFromBytes(bytes);
  if (note.endStatus) {
    toldToEnd_ = true;
    return note.endStatus;
  }
  settings = note.settings;
  if (solverThreads) settings.SolverThreadCount = *solverThreads;
  started_ = true;
  return std::nullopt;
}

std::optional<std::uint64_t> RunShare::rootSeed(
    std::optional<std::uint64_t> seed) {
  if (group_ == nullptr) return seed;
  std::string bytes;
  if (seed) {
    bytes.resize(sizeof *seed);
    std::memcpy(bytes.data(), &*seed, sizeof *seed);
  }
  group_->broadcast(bytes);
  if (bytes.empty()) return std::nullopt;
  if (bytes.size() != sizeof(std::uint64_t)) {
    throw std::runtime_error("run seed: not shared");
  }
  std::uint64_t shared = 0;
  std::memcpy(&shared, bytes.data(), sizeof shared);
  return shared;
}

int RunShare::end(int status) {
  if (group_ == nullptr) return status;
  if (isRoot() && !started_) {
    // The others still wait for the start: they end with this status too.
    RunStartNote note;
    note.endStatus = status;
    std::string bytes = toBytes(note);
    group_->broadcast(bytes);
    return status;
  }
  if (toldToEnd_ || phasesDone_) return status;
  if (status == exitCode(ExitStatus::kSuccess)) return status;
  // A stop that every process meets (a signal to the whole launch): each
  // ends alone with its own status and rank 0 alone has said what it kept;
  // no process is aborted, so the launcher reports no failure of its own.
  if (isStoppedExitCode(status) && group_->allStopped(kStopsMeetWithin)) {
    group_->leave(status);
  }
  if (standardError_ != nullptr) {
    std::cerr.rdbuf(standardError_);
    standardError_ = nullptr;
    std::cerr << held_.str() << "linprob: process " << group_->rank()
              << " of " << group_->size() << " failed" << std::endl;
  }
  group_->abort(status);
  return status;  // not reached: abort ends every process
}

}  // namespace linprob
