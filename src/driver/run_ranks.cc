#include "driver/run_ranks.h"

#include <chrono>
#include <cstdint>
#include <iostream>
#include <stdexcept>
#include <type_traits>
#include <variant>
#include <utility>

#include "base/console.h"
#include "base/packed_bytes.h"
#include "driver/exit_status.h"

namespace linprob {
namespace {

constexpr std::int64_t kGoesOn = -1;

// How long a process that stops waits for the others to stop too: each
// looks at the stop at least every millisecond or so in a phase, so the
// processes of a launch that was signalled as a whole meet well within it.
constexpr std::chrono::milliseconds kStopsMeetWithin{500};

constexpr const char* kCutShort = "run start: cut short";

}  // namespace

std::string toBytes(const RunStartNote& note) {
  BytePacker out;
  out.putInteger(note.endStatus ? *note.endStatus : kGoesOn);
  // Every option of the settings table, in its order.
  for (const SettingRule& rule : kSettings) {
    std::visit(
        [&](auto field) {
          out.putInteger(static_cast<std::int64_t>(note.settings.*field));
        },
        rule.field);
  }
  // And the four the command line sets.
  out.putInteger(static_cast<std::int64_t>(note.settings.points));
  out.putInteger(note.settings.digits ? *note.settings.digits : -1);
  out.putInteger(static_cast<std::int64_t>(note.settings.counting));
  out.putInteger(static_cast<std::int64_t>(note.settings.halvesMemory));
  return std::move(out.bytes());
}

RunStartNote runStartFromBytes(const std::string& bytes) {
  ByteUnpacker in(bytes, kCutShort);
  RunStartNote note;
  const std::int64_t status = in.integer();
  if (status != kGoesOn) note.endStatus = static_cast<int>(status);
  for (const SettingRule& rule : kSettings) {
    const std::int64_t value = in.integer();
    std::visit(
        [&](auto field) {
          using Value = std::remove_reference_t<decltype(note.settings.*field)>;
          note.settings.*field = static_cast<Value>(value);
        },
        rule.field);
  }
  note.settings.points = static_cast<PointKind>(in.integer());
  const std::int64_t digits = in.integer();
  if (digits >= 0) note.settings.digits = static_cast<int>(digits);
  note.settings.counting = static_cast<CountingChoice>(in.integer());
  note.settings.halvesMemory = static_cast<std::uint64_t>(in.integer());
  in.finish();
  return note;
}

RunRanks::RunRanks(ProcessGroup* group)
    : group_(group != nullptr && group->size() > 1 ? group : nullptr) {
  if (isRoot()) return;
  showLines(false);
  standardError_ = std::cerr.rdbuf(held_.rdbuf());
}

RunRanks::~RunRanks() {
  if (standardError_ != nullptr) std::cerr.rdbuf(standardError_);
}

void RunRanks::announceStart(const RunSettings& settings) {
  if (group_ == nullptr) return;
  RunStartNote note;
  note.settings = settings;
  std::string bytes = toBytes(note);
  group_->broadcast(bytes);
  started_ = true;
}

std::optional<int> RunRanks::awaitStart(RunSettings& settings,
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

std::optional<std::uint64_t> RunRanks::rootSeed(
    std::optional<std::uint64_t> seed) {
  if (group_ == nullptr) return seed;
  BytePacker out;
  if (seed) out.putCount(*seed);
  std::string& bytes = out.bytes();
  group_->broadcast(bytes);
  if (bytes.empty()) return std::nullopt;
  ByteUnpacker in(bytes, "run seed: not shared");
  const std::uint64_t shared = in.count();
  in.finish();
  return shared;
}

int RunRanks::end(int status) {
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
