#include "base/thread_group.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace linprob {
namespace {

TEST(ThreadGroupTest, RunsEveryBodyAndJoins) {
  std::atomic<int> ran{0};
  ThreadGroup group;
  for (int t = 0; t < 5; ++t) {
    group.start([&](const std::stop_token&) { ++ran; });
  }
  group.join();
  EXPECT_EQ(ran.load(), 5);
}

// One body fails; the others, which would wait until stopped, end because
// the group asks them to stop, and join() rethrows the first error.
TEST(ThreadGroupTest, FirstExceptionStopsTheOthersAndIsRethrown) {
  ThreadGroup group;
  std::atomic<int> stopped{0};
  for (int t = 0; t < 3; ++t) {
    group.start([&](const std::stop_token& stop) {
      while (!stop.stop_requested()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      ++stopped;
    });
  }
  group.start([](const std::stop_token&) {
    throw std::runtime_error("worker failed");
  });
  try {
    group.join();
    FAIL() << "join() did not rethrow";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "worker failed");
  }
  EXPECT_EQ(stopped.load(), 3);
}

TEST(ThreadGroupTest, StopCallbacksWakeWaitingBodies) {
  ThreadGroup group;
  std::atomic<bool> woken{false};
  const std::stop_callback wake(group.stopToken(), [&] { woken = true; });
  group.start([](const std::stop_token&) { throw 7; });
  EXPECT_THROW(group.join(), int);
  EXPECT_TRUE(woken.load());
}

TEST(ThreadGroupTest, DestructorStopsAndJoinsWithoutJoin) {
  std::atomic<bool> ended{false};
  {
    ThreadGroup group;
    group.start([&](const std::stop_token& stop) {
      while (!stop.stop_requested()) std::this_thread::yield();
      ended = true;
    });
  }
  EXPECT_TRUE(ended.load());
}

}  // namespace
}  // namespace linprob
