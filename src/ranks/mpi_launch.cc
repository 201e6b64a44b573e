// A build with MPI: the processes of an mpirun or srun launch share the run
// through MPI_COMM_WORLD. Only the main thread calls MPI (the phases' worker
// threads never do), so MPI_THREAD_FUNNELED is all the run needs. MPI's
// default error handler ends every process on a failed call, so a broken
// launch never leaves a process waiting.
//
// Each collective operation first waits for every process to arrive, with
// a barrier on a communicator of its own that is tested while looking at
// the stop; then the operation itself, non-blocking and tested the same
// way. The barrier alone does not do: it completes on one process once the
// last has posted it, and that last one may see the stop before it sees
// the barrier complete, and leave the first waiting in the operation for
// good. The operations move bytes or sum integers, so their results do not
// depend on how MPI schedules them. A process that stops meets the others
// that stop in one more barrier, on a third communicator: when every
// process comes, each leaves alone with its own status (no MPI_Abort and
// its report), else MPI_Abort ends those that go on.
#include <mpi.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "ranks/launch.h"

namespace linprob {
namespace {

// Whether a launcher started this process: Open MPI's mpirun, or a
// scheduler's launcher through PMI or PMIx (srun).
bool launched() {
  for (const char* name : {"OMPI_COMM_WORLD_SIZE", "PMIX_RANK", "PMI_RANK",
                           "PMI_SIZE"}) {
    if (std::getenv(name) != nullptr) return true;
  }
  return false;
}

// MPI counts are ints: larger transfers go in pieces.
constexpr std::size_t kMostPerCall = std::size_t{1} << 30;

int countOf(std::size_t size, const char* what) {
  if (size > static_cast<std::size_t>(INT_MAX)) {
    throw std::runtime_error(std::string("process group: ") + what +
                             " too large to exchange");
  }
  return static_cast<int>(size);
}

// Tests `request` until it completes; throws GroupStopped once `stop` is
// requested before it does.
void complete(MPI_Request& request, const std::stop_token& stop) {
  for (;;) {
    int done = 0;
    MPI_Test(&request, &done, MPI_STATUS_IGNORE);
    if (done != 0) return;
    if (stop.stop_requested()) throw GroupStopped();
    std::this_thread::yield();
  }
}

class MpiGroup final : public ProcessGroup {
 public:
  MpiGroup() {
    MPI_Comm_rank(MPI_COMM_WORLD, &rank_);
    MPI_Comm_size(MPI_COMM_WORLD, &size_);
    MPI_Comm_dup(MPI_COMM_WORLD, &arrivals_);
    MPI_Comm_dup(MPI_COMM_WORLD, &stops_);
  }
  // Before MPI_Finalize (MpiLaunch), which would otherwise leave what the
  // two communicators hold unfreed (a leak to LeakSanitizer).
  ~MpiGroup() override {
    MPI_Comm_free(&stops_);
    MPI_Comm_free(&arrivals_);
  }
  MpiGroup(const MpiGroup&) = delete;
  MpiGroup& operator=(const MpiGroup&) = delete;

  int rank() const override { return rank_; }
  int size() const override { return size_; }

  void broadcast(std::string& bytes) override {
    arrive();
    std::uint64_t length = bytes.size();
    MPI_Request request = MPI_REQUEST_NULL;
    MPI_Ibcast(&length, 1, MPI_UINT64_T, 0, MPI_COMM_WORLD, &request);
    complete(request, stop_);
    bytes.resize(length);
    for (std::size_t at = 0; at < length; at += kMostPerCall) {
      const std::size_t piece = std::min<std::size_t>(kMostPerCall, length - at);
      MPI_Ibcast(bytes.data() + at, static_cast<int>(piece), MPI_BYTE, 0,
                 MPI_COMM_WORLD, &request);
      complete(request, stop_);
    }
  }

  std::vector<std::vector<double>> allGather(
      const std::vector<double>& mine) override {
    arrive();
    const int count = countOf(mine.size(), "values");
    std::vector<int> counts(static_cast<std::size_t>(size_), 0);
    MPI_Request request = MPI_REQUEST_NULL;
    MPI_Iallgather(&count, 1, MPI_INT, counts.data(), 1, MPI_INT,
                   MPI_COMM_WORLD, &request);
    complete(request, stop_);
    std::vector<int> offsets(counts.size(), 0);
    std::size_t total = 0;
    for (std::size_t r = 0; r < counts.size(); ++r) {
      offsets[r] = countOf(total, "values");
      total += static_cast<std::size_t>(counts[r]);
    }
    countOf(total, "values");
    std::vector<double> all(total);
    MPI_Iallgatherv(mine.data(), count, MPI_DOUBLE, all.data(),
                    counts.data(), offsets.data(), MPI_DOUBLE, MPI_COMM_WORLD,
                    &request);
    complete(request, stop_);
    std::vector<std::vector<double>> byRank(counts.size());
    for (std::size_t r = 0; r < counts.size(); ++r) {
      const double* first = all.data() + offsets[r];
      byRank[r].assign(first, first + counts[r]);
    }
    return byRank;
  }

  void sumAll(std::vector<std::uint64_t>& values) override {
    arrive();
    for (std::size_t at = 0; at < values.size(); at += kMostPerCall) {
      const std::size_t piece =
          std::min<std::size_t>(kMostPerCall, values.size() - at);
      MPI_Request request = MPI_REQUEST_NULL;
      MPI_Iallreduce(MPI_IN_PLACE, values.data() + at, static_cast<int>(piece),
                     MPI_UINT64_T, MPI_SUM, MPI_COMM_WORLD, &request);
      complete(request, stop_);
    }
  }

  [[noreturn]] void abort(int status) override {
    std::cerr.flush();
    MPI_Abort(MPI_COMM_WORLD, status);
    std::_Exit(status);
  }

  void stopWaitingOn(std::stop_token stop) override { stop_ = std::move(stop); }

  bool allStopped(std::chrono::milliseconds wait) override {
    MPI_Request request = MPI_REQUEST_NULL;
    MPI_Ibarrier(stops_, &request);
    const auto end = std::chrono::steady_clock::now() + wait;
    for (;;) {
      int done = 0;
      MPI_Test(&request, &done, MPI_STATUS_IGNORE);
      if (done != 0) return true;
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::yield();
    }
  }

  // Without MPI_Finalize: a collective that a stop cut short may still be
  // pending here, and the processes end as they stop, not together.
  [[noreturn]] void leave(int status) override {
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(status);
  }

 private:
  // Waits, looking at the stop, until every process has come to the same
  // collective operation.
  void arrive() {
    MPI_Request request = MPI_REQUEST_NULL;
    MPI_Ibarrier(arrivals_, &request);
    complete(request, stop_);
  }

  int rank_ = 0;
  int size_ = 1;
  MPI_Comm arrivals_ = MPI_COMM_NULL;  // the barriers before each operation
  MPI_Comm stops_ = MPI_COMM_NULL;     // the one barrier of a stop
  std::stop_token stop_;               // none until stopWaitingOn
};

class MpiLaunch final : public Launch {
 public:
  MpiLaunch(int& argc, char**& argv) {
    int provided = 0;
    MPI_Init_thread(&argc, &argv, MPI_THREAD_FUNNELED, &provided);
    group_.emplace();
  }
  ~MpiLaunch() override {
    group_.reset();
    MPI_Finalize();
  }

  ProcessGroup* group() override {
    return group_->size() > 1 ? &*group_ : nullptr;
  }

 private:
  std::optional<MpiGroup> group_;
};

class LoneLaunch final : public Launch {
 public:
  ProcessGroup* group() override { return nullptr; }
};

}  // namespace

std::unique_ptr<Launch> joinLaunch(int& argc, char**& argv) {
  if (!launched()) return std::make_unique<LoneLaunch>();
  return std::make_unique<MpiLaunch>(argc, argv);
}

}  // namespace linprob
