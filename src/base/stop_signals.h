// StopSignals: while one exists, SIGINT, SIGTERM and SIGHUP ask the run to
// stop instead of ending the process on the spot, so that the run can
// remove its unfinished files and say what it kept.
//
// The handlers only record the first signal in a lock-free atomic and write
// one byte to a pipe, both safe inside a handler. A watcher thread waits on
// the pipe and requests the stop of the run's std::stop_source, so every
// stop callback (which may take locks) runs on an ordinary thread, never
// inside a handler. Later signals change nothing. The destructor restores
// the handlers found at construction and ends the watcher. When the pipe or
// the watcher thread cannot be had, no handler is installed and the signals
// keep their usual effect. The handlers are installed without SA_RESTART: a
// blocking call interrupted by one returns EINTR (see stop_signals.cc).
//
// At most one StopSignals exists at a time.
#ifndef LINPROB_BASE_STOP_SIGNALS_H_
#define LINPROB_BASE_STOP_SIGNALS_H_

#include <atomic>
#include <stop_token>
#include <string>
#include <thread>

namespace linprob {

class StopSignals {
 public:
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // Requested once one of the three signals arrived.
  std::stop_token token() const { return source_.get_token(); }
  // The first signal received, 0 while none.
  int signal() const;

  // "SIGINT", "SIGTERM", "SIGHUP", or "signal <number>".
  static std::string name(int signal);

  // Whether one of the three signals has arrived since the last StopSignals
  // was made: the handler's own record, so true at once, before the token
  // is requested. For code below the run that must not wait on once a stop
  // is asked for (base/console.h); safe on any thread.
  static bool arrived();

 private:
  void watch();

  std::stop_source source_;
  std::atomic<bool> closing_{false};
  std::thread watcher_;
};

}  // namespace linprob

#endif  // LINPROB_BASE_STOP_SIGNALS_H_
