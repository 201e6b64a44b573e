// Test support: the processes of a run as threads of the test. Each rank is
// a ProcessGroup whose collective operations meet the other ranks' through
// shared slots between two barriers, so the code under test runs exactly
// the exchanges it runs under MPI, in one process. Every rank's thread must
// call the same operations in the same order (as with MPI); abort() throws.
#ifndef LINPROB_TESTS_SUPPORT_IN_PROCESS_RANKS_H_
#define LINPROB_TESTS_SUPPORT_IN_PROCESS_RANKS_H_

#include <barrier>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "base/process_group.h"

namespace linprob::testing {

class InProcessRanks {
 public:
  explicit InProcessRanks(int size) : shared_(size) {
    for (int r = 0; r < size; ++r) {
      ranks_.push_back(std::make_unique<Rank>(shared_, r, size));
    }
  }

  // Runs work(group) on one thread per rank and joins them.
  void run(const std::function<void(ProcessGroup&)>& work) {
    std::vector<std::jthread> threads;
    for (auto& rank : ranks_) {
      threads.emplace_back([&work, &rank] { work(*rank); });
    }
  }

 private:
  struct Shared {
    explicit Shared(int size)
        : barrier(size), slots(static_cast<std::size_t>(size)),
          counts(static_cast<std::size_t>(size)) {}
    std::barrier<> barrier;
    std::string bytes;
    std::vector<std::vector<double>> slots;
    std::vector<std::vector<std::uint64_t>> counts;
  };

  class Rank final : public ProcessGroup {
   public:
    Rank(Shared& shared, int rank, int size)
        : shared_(shared), rank_(rank), size_(size) {}
    int rank() const override { return rank_; }
    int size() const override { return size_; }

    void broadcast(std::string& bytes) override {
      if (isRoot()) shared_.bytes = bytes;
      shared_.barrier.arrive_and_wait();
      bytes = shared_.bytes;
      shared_.barrier.arrive_and_wait();
    }
    std::vector<std::vector<double>> allGather(
        const std::vector<double>& mine) override {
      shared_.slots[static_cast<std::size_t>(rank_)] = mine;
      shared_.barrier.arrive_and_wait();
      std::vector<std::vector<double>> all = shared_.slots;
      shared_.barrier.arrive_and_wait();
      return all;
    }
    void sumAll(std::vector<std::uint64_t>& values) override {
      shared_.counts[static_cast<std::size_t>(rank_)] = values;
      shared_.barrier.arrive_and_wait();
      for (std::size_t k = 0; k < values.size(); ++k) {
        std::uint64_t sum = 0;
        for (const auto& other : shared_.counts) sum += other.at(k);
        values[k] = sum;
      }
      shared_.barrier.arrive_and_wait();
    }
    [[noreturn]] void abort(int status) override {
      throw std::logic_error("rank " + std::to_string(rank_) +
                             " aborted with " + std::to_string(status));
    }
    // The threads' barriers wait for every rank; a stop does not cut them
    // short, and a rank never stops alone.
    void stopWaitingOn(std::stop_token) override {}
    bool allStopped(std::chrono::milliseconds) override { return false; }
    [[noreturn]] void leave(int status) override {
      throw std::logic_error("rank " + std::to_string(rank_) +
                             " left with " + std::to_string(status));
    }

   private:
    Shared& shared_;
    int rank_;
    int size_;
  };

  Shared shared_;
  std::vector<std::unique_ptr<Rank>> ranks_;
};

}  // namespace linprob::testing

#endif  // LINPROB_TESTS_SUPPORT_IN_PROCESS_RANKS_H_
