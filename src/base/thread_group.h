// ThreadGroup: the threads of one stage of a phase (solver threads, generator
// threads, counting threads), started together and joined together.
//
// Every thread runs its body with the group's stop token. The first
// exception a body throws is kept and the group is asked to stop, so the
// other bodies (which watch the token, or are woken by a std::stop_callback
// registered on it) end early; join() waits for every thread and then
// rethrows that first exception. A thread that cannot be started is an
// error like any other: start() asks the group to stop, joins the threads
// already running and throws std::runtime_error("cannot start a thread:
// <reason>"), never std::terminate. No thread outlives its group: the
// destructor asks them to stop and joins them.
//
// The mutex guards only the first exception; it is taken once per failing
// thread.
#ifndef LINPROB_BASE_THREAD_GROUP_H_
#define LINPROB_BASE_THREAD_GROUP_H_

#include <exception>
#include <mutex>
#include <stop_token>
#include <thread>
#include <utility>
#include <vector>

namespace linprob {

class ThreadGroup {
 public:
  ThreadGroup() = default;
  ~ThreadGroup();
  ThreadGroup(const ThreadGroup&) = delete;
  ThreadGroup& operator=(const ThreadGroup&) = delete;

  // Starts one thread running body(stopToken()).
  template <typename Body>
  void start(Body body) {
    try {
      threads_.emplace_back([this, work = std::move(body)]() mutable {
        try {
          work(stop_.get_token());
        } catch (...) {
          fail(std::current_exception());
        }
      });
    } catch (...) {
      startFailed(std::current_exception());
    }
  }

  // Waits for every thread; rethrows the first exception a body threw.
  void join();
  void requestStop() { stop_.request_stop(); }
  std::stop_token stopToken() const { return stop_.get_token(); }
  // Records `error` as if a body had thrown it (the first one wins) and asks
  // the group to stop.
  void fail(std::exception_ptr error);

 private:
  [[noreturn]] void startFailed(std::exception_ptr error);
  void joinAll();

  std::stop_source stop_;
  std::mutex mutex_;  // guards first_
  std::exception_ptr first_;
  std::vector<std::jthread> threads_;
};

}  // namespace linprob

#endif  // LINPROB_BASE_THREAD_GROUP_H_
