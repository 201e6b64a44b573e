// A build with MPI: the processes of an mpirun or srun launch share the run
// through MPI_COMM_WORLD. Only the main thread calls MPI (the phases' worker
// threads never do), so MPI_THREAD_FUNNELED is all the run needs. MPI's
// default error handler ends every process on a failed call, so a broken
// launch never leaves a process waiting.
#include <mpi.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
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

class MpiGroup final : public ProcessGroup {
 public:
  MpiGroup() {
    MPI_Comm_rank(MPI_COMM_WORLD, &rank_);
    MPI_Comm_size(MPI_COMM_WORLD, &size_);
  }

  int rank() const override { return rank_; }
  int size() const override { return size_; }

  void broadcast(std::string& bytes) override {
    std::uint64_t length = bytes.size();
    MPI_Bcast(&length, 1, MPI_UINT64_T, 0, MPI_COMM_WORLD);
    bytes.resize(length);
    for (std::size_t at = 0; at < length; at += kMostPerCall) {
      const std::size_t piece = std::min<std::size_t>(kMostPerCall, length - at);
      MPI_Bcast(bytes.data() + at, static_cast<int>(piece), MPI_BYTE, 0,
                MPI_COMM_WORLD);
    }
  }

  std::vector<std::vector<double>> allGather(
      const std::vector<double>& mine) override {
    const int count = countOf(mine.size(), "values");
    std::vector<int> counts(static_cast<std::size_t>(size_), 0);
    MPI_Allgather(&count, 1, MPI_INT, counts.data(), 1, MPI_INT,
                  MPI_COMM_WORLD);
    std::vector<int> offsets(counts.size(), 0);
    std::size_t total = 0;
    for (std::size_t r = 0; r < counts.size(); ++r) {
      offsets[r] = countOf(total, "values");
      total += static_cast<std::size_t>(counts[r]);
    }
    countOf(total, "values");
    std::vector<double> all(total);
    MPI_Allgatherv(mine.data(), count, MPI_DOUBLE, all.data(), counts.data(),
                   offsets.data(), MPI_DOUBLE, MPI_COMM_WORLD);
    std::vector<std::vector<double>> byRank(counts.size());
    for (std::size_t r = 0; r < counts.size(); ++r) {
      const double* first = all.data() + offsets[r];
      byRank[r].assign(first, first + counts[r]);
    }
    return byRank;
  }

  void sumAll(std::vector<std::uint64_t>& values) override {
    for (std::size_t at = 0; at < values.size(); at += kMostPerCall) {
      const std::size_t piece =
          std::min<std::size_t>(kMostPerCall, values.size() - at);
      MPI_Allreduce(MPI_IN_PLACE, values.data() + at, static_cast<int>(piece),
                    MPI_UINT64_T, MPI_SUM, MPI_COMM_WORLD);
    }
  }

  [[noreturn]] void abort(int status) override {
    std::cerr.flush();
    MPI_Abort(MPI_COMM_WORLD, status);
    std::_Exit(status);
  }

 private:
  int rank_ = 0;
  int size_ = 1;
};

class MpiLaunch final : public Launch {
 public:
  MpiLaunch(int& argc, char**& argv) {
    int provided = 0;
    MPI_Init_thread(&argc, &argv, MPI_THREAD_FUNNELED, &provided);
    group_.emplace();
  }
  ~MpiLaunch() override { MPI_Finalize(); }

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
