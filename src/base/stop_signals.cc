#include "base/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <string>
#include <system_error>

namespace linprob {
namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};

// Shared with the handler, which may run on any thread at any moment.
std::atomic<int> receivedSignal{0};
int wakePipe[2] = {-1, -1};
std::array<struct sigaction, 3> previous{};

static_assert(std::atomic<int>::is_always_lock_free,
              "the handler needs a lock-free atomic");

extern "C" void onStopSignal(int signal) {
  const int savedErrno = errno;
  int none = 0;
  receivedSignal.compare_exchange_strong(none, signal);
  const char byte = 1;
  // Nothing to do on failure: the pipe is only full when a wake-up is
  // already pending.
  [[maybe_unused]] const ssize_t wrote = ::write(wakePipe[1], &byte, 1);
  errno = savedErrno;
}

}  // namespace

StopSignals::StopSignals() {
  receivedSignal.store(0);
  if (::pipe2(wakePipe, O_CLOEXEC) != 0) {
    wakePipe[0] = wakePipe[1] = -1;
    return;  // no handler: the signals keep their usual effect
  }
  try {
    watcher_ = std::thread([this] { watch(); });
  } catch (const std::system_error&) {
    // Without a watcher nobody would see the byte: no handler either.
    ::close(wakePipe[0]);
    ::close(wakePipe[1]);
    wakePipe[0] = wakePipe[1] = -1;
    return;
  }
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a call that blocks in the thread the signal meets (a
  // write to a standard output whose reader has stopped reading) returns
  // EINTR instead of being resumed, so that the stop can be seen. Every
  // loop of the program around a read or write retries or gives up on
  // EINTR by itself.
  action.sa_flags = 0;
  for (std::size_t k = 0; k < kSignals.size(); ++k) {
    ::sigaction(kSignals[k], &action, &previous[k]);
  }
}

StopSignals::~StopSignals() {
  if (wakePipe[1] < 0) return;
  for (std::size_t k = 0; k < kSignals.size(); ++k) {
    ::sigaction(kSignals[k], &previous[k], nullptr);
  }
  closing_ = true;
  const char byte = 0;
  [[maybe_unused]] const ssize_t wrote = ::write(wakePipe[1], &byte, 1);
  watcher_.join();
  ::close(wakePipe[0]);
  ::close(wakePipe[1]);
  wakePipe[0] = wakePipe[1] = -1;
}

void StopSignals::watch() {
  for (;;) {
    char byte = 0;
    const ssize_t got = ::read(wakePipe[0], &byte, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0 || closing_) return;
    source_.request_stop();
  }
}

int StopSignals::signal() const { return receivedSignal.load(); }

bool StopSignals::arrived() { return receivedSignal.load() != 0; }

std::string StopSignals::name(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "signal " + std::to_string(signal);
  }
}

}  // namespace linprob
