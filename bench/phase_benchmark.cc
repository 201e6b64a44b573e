// Throughput of one enumeration phase: n = 4, 50 cells per entry (6.25 M
// jobs), produced by two generator threads and solved by 1 or 2 solver
// threads, and of the plain per-job step replay on its own.
//
// Run: build/linprob_bench   (progress lines of the phase are discarded)
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <thread>
#include <vector>

#include "distributions/discretisation.h"
#include "distributions/job_queue.h"
#include "linear/linear_system.h"
#include "linear/step_replay.h"
#include "results/solver_threads.h"

namespace linprob {
namespace {

constexpr unsigned kUnknowns = 4;
constexpr int kCells = 50;

// The resistor network of the bundled example, eliminated without pivoting.
LinearSystem exampleSystem() {
  const double rows[kUnknowns][kUnknowns] = {{3.0, -1.0, -1.0, 0.0},
                                             {-1.0, 3.5, -0.5, -1.5},
                                             {-1.0, -0.5, 2.5, -0.5},
                                             {0.0, -1.5, -0.5, 2.2}};
  LinearSystem system(kUnknowns);
  for (unsigned r = 0; r < kUnknowns; ++r) {
    for (unsigned c = 0; c < kUnknowns; ++c) system.matrix[c][r] = rows[r][c];
  }
  system.eliminate(false, false);
  return system;
}

// Sends standard output to /dev/null while alive.
class QuietStdout {
 public:
  QuietStdout() {
    std::fflush(stdout);
    saved_ = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    close(null);
  }
  ~QuietStdout() {
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
  }

 private:
  int saved_;
};

void BM_EnumerationPhase(benchmark::State& state) {
  const int solverThreads = static_cast<int>(state.range(0));
  const LinearSystem system = exampleSystem();
  const std::vector<double> lower = {0.9, -0.05, 0.45, -0.25};
  const std::vector<double> upper = {1.1, 0.05, 0.55, -0.15};
  std::size_t solved = 0;
  for (auto _ : state) {
    QuietStdout quiet;
    JobQueue jobs;
    SampleTable results;
    std::vector<std::thread> threads;
    startSolvers(jobs, system, solverThreads, results, threads);
    enumerateUniform(jobs, kUnknowns, kCells, lower, upper, 2);
    joinSolvers(jobs, threads);
    solved += results[0].size();
    benchmark::DoNotOptimize(results.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(solved));
  state.counters["jobs_per_second"] = benchmark::Counter(
      static_cast<double>(solved), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EnumerationPhase)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_ReplayOneJob(benchmark::State& state) {
  const LinearSystem system = exampleSystem();
  std::vector<double> rhs = {1.0, 0.0, 0.5, -0.2};
  for (auto _ : state) {
    replaySteps(rhs, system.steps);
    benchmark::DoNotOptimize(rhs.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReplayOneJob);

}  // namespace
}  // namespace linprob

BENCHMARK_MAIN();
