// ProcessGroup: the processes of one run (the ranks of an MPI launch) and
// the few collective operations they share a run with.
//
// Every process calls each collective operation in the same order, with the
// same sizes where stated; rank 0 is the root, the process that reads the
// inputs, prints and writes. The operations copy bytes exactly: doubles come
// back with the bits they left with.
//
// A run without a launcher has no ProcessGroup at all (nullptr): the program
// then behaves as a single process always has. Implementations: the MPI one
// (src/ranks, built with LINPROB_WITH_MPI), and the test's threads
// (tests/support).
#ifndef LINPROB_BASE_PROCESS_GROUP_H_
#define LINPROB_BASE_PROCESS_GROUP_H_

#include <cstdint>
#include <string>
#include <vector>

namespace linprob {

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
};

}  // namespace linprob

#endif  // LINPROB_BASE_PROCESS_GROUP_H_
