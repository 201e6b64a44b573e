// ProcessGroup: the processes of one run (the ranks of an MPI launch) and
// the few collective operations they share a run with.
//
// Every process calls each collective operation in the same order, with the
// same sizes where stated; rank 0 is the root, the process that reads the
// inputs, prints and writes. The operations copy bytes exactly: doubles come
// back with the bits they left with.
//
// A stop (a signal) may reach some processes and not others, and reaches
// each at its own moment: a process that stops no longer waits for the
// others (stopWaitingOn), and at its end learns whether every process
// stopped (allStopped), to end alone and quietly (leave), or else ends them
// all (abort).
//
// A run without a launcher has no ProcessGroup at all (nullptr): the program
// then behaves as a single process always has. Implementations: the MPI one
// (src/ranks, built with LINPROB_WITH_MPI), and the test's threads
// (tests/support).
#ifndef LINPROB_BASE_PROCESS_GROUP_H_
#define LINPROB_BASE_PROCESS_GROUP_H_

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <vector>

namespace linprob {

// Thrown by a collective operation that a stop cut short while it waited
// for the other processes (ProcessGroup::stopWaitingOn): this process no
// longer takes part in the run's exchanges.
class GroupStopped : public std::runtime_error {
 public:
  GroupStopped()
      : std::runtime_error("stopped while waiting for the other processes") {}
};

class ProcessGroup {
 public:
  virtual ~ProcessGroup() = default;

  virtual int rank() const = 0;
  virtual int size() const = 0;
  bool isRoot() const { return rank() == 0; }

  // Rank 0's bytes, on every rank (any length).
  virtual void broadcast(std::string& bytes) = 0;
  // Every rank's values, by rank, on every rank; the lengths may differ.
  virtual std::vector<std::vector<double>> allGather(
      const std::vector<double>& mine) = 0;
  // values[k] becomes the sum over the ranks of their values[k], modulo
  // 2^64, on every rank; every rank passes the same length.
  virtual void sumAll(std::vector<std::uint64_t>& values) = 0;
  // Ends every process of the run at once with `status`; does not return.
  [[noreturn]] virtual void abort(int status) = 0;

  // From now on a collective operation gives up waiting for the other
  // processes once `stop` is requested, and throws GroupStopped.
  virtual void stopWaitingOn(std::stop_token stop) = 0;
  // For a process that ends on a stop, last: true once every process of the
  // run has called it (every one stops), false when some have not within
  // `wait` (they go on, and must be ended).
  virtual bool allStopped(std::chrono::milliseconds wait) = 0;
  // Ends this process alone with `status` at once; the others end by
  // themselves. Does not return.
  [[noreturn]] virtual void leave(int status) = 0;
};

}  // namespace linprob

#endif  // LINPROB_BASE_PROCESS_GROUP_H_
