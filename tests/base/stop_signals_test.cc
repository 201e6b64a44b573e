#include "base/stop_signals.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <csignal>
#include <mutex>

namespace linprob {
namespace {

// A signal requests the stop (on the watcher thread, where the callbacks
// run); once the StopSignals is gone, the handler found before is back.
TEST(StopSignalsTest, ASignalRequestsTheStopAndTheOldHandlerReturns) {
  struct sigaction before {};
  ::sigaction(SIGHUP, nullptr, &before);
  {
    StopSignals signals;
    EXPECT_EQ(signals.signal(), 0);
    std::mutex mutex;
    std::condition_variable stopped;
    bool called = false;
    const std::stop_callback callback(signals.token(), [&] {
      std::lock_guard<std::mutex> lock(mutex);
      called = true;
      stopped.notify_all();
    });
    ASSERT_EQ(std::raise(SIGHUP), 0);
    std::unique_lock<std::mutex> lock(mutex);
    stopped.wait(lock, [&] { return called; });
    EXPECT_TRUE(signals.token().stop_requested());
    EXPECT_EQ(signals.signal(), SIGHUP);
    EXPECT_EQ(StopSignals::name(signals.signal()), "SIGHUP");
  }
  struct sigaction after {};
  ::sigaction(SIGHUP, nullptr, &after);
  EXPECT_EQ(after.sa_handler, before.sa_handler);
}

}  // namespace
}  // namespace linprob
