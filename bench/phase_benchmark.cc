// Throughput of whole distribution phases, and of the step replay alone.
//
//   EnumerationPhase/threads:T/moments:M: n = 4, 50 cells per entry (6.25 M
//       jobs), T solver threads and two generator threads; M = 1 also
//       accumulates the moments and fine histograms of every position.
//   EnumerationSixUnknowns/threads:T: n = 6, 16 cells (16.8 M jobs), with
//       the moments and fine histograms.
//   EnumerationByHalves/n:N/cells:C: a phase counted by halves, with the
//       moments and coverage, 2 threads.
//   SystemUnderOneMode: the three phases (triangular, normal, uniform) of one
//       system with n = 5 and 50 cells (312.5 M jobs per phase), 2 threads.
// The other enumeration benchmarks replay every job.
//   SamplingPhase/samples:S/threads:T/moments:M: S random right-hand sides of
//       n = 4 (normal family), T solver threads.
// jobs_per_second counts every job once, however often it is replayed;
// peak_rss_MiB is the process's peak resident memory so far (run one
// benchmark per process, as scripts/benchmark.sh does, to read it alone).
// The phases' progress lines are discarded.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "distributions/discretisation.h"
#include "distributions/job_block.h"
#include "distributions/enumeration_source.h"
#include "distributions/sampling_source.h"
#include "linear/linear_system.h"
#include "linear/step_replay.h"
#include "solve/band_counter.h"
#include "solve/phase_solver.h"
#include "support/random_source.h"

namespace linprob {
namespace {

// A diagonally dominant n x n system (the bundled example's resistor network
// for n = 4), eliminated without pivoting.
LinearSystem benchmarkSystem(unsigned n) {
  const double network[4][4] = {{3.0, -1.0, -1.0, 0.0},
                                {-1.0, 3.5, -0.5, -1.5},
                                {-1.0, -0.5, 2.5, -0.5},
                                {0.0, -1.5, -0.5, 2.2}};
  LinearSystem system(n);
  for (unsigned r = 0; r < n; ++r) {
    for (unsigned c = 0; c < n; ++c) {
      system.setCoefficient(r, c, (n == 4) ? network[r][c]
                            : (r == c) ? 4.0
                                       : 1.0 / (1.0 + r + 2.0 * c));
    }
  }
  system.eliminate(kPivotModes[0]);
  return system;
}

EnumerationJobs enumerationJobs(Family family, unsigned n, int cells) {
  EntryParameters entries{2, {}};
  for (unsigned e = 0; e < n; ++e) {
    const double first = 1.0 + e;
    entries.numbers.push_back(first);
    entries.numbers.push_back(family == Family::kNormal ? 0.04 : first + 0.4);
  }
  return EnumerationJobs{n, familyInfo(family).cells(cells, entries)};
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
  QuietStdout(const QuietStdout&) = delete;
  QuietStdout& operator=(const QuietStdout&) = delete;

 private:
  int saved_;
};

void reportJobs(benchmark::State& state, double jobs) {
  state.counters["jobs_per_second"] =
      benchmark::Counter(jobs, benchmark::Counter::kIsRate);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024;
}

// Solves the phase once per iteration, its console lines hidden, and
// reports the jobs per second.
void solveEveryIteration(benchmark::State& state, const JobSource& jobs,
                         const LinearSystem& system,
                         const SolveOptions& options) {
  double solved = 0;
  for (auto _ : state) {
    QuietStdout quiet;
    const PhaseBands bands = solvePhase(jobs, system, options);
    solved += static_cast<double>(bands[0].count);
    benchmark::DoNotOptimize(bands.data());
  }
  reportJobs(state, solved);
}

// The plain solution at the middle of every entry's range: the reference
// value of the moments, as the program's driver gives it.
std::vector<double> middleSolution(const LinearSystem& system,
                                   const EnumerationJobs& jobs) {
  const unsigned n = system.size();
  std::vector<double> rhs(n);
  const RectangleTable& cells = jobs.cells;
  for (unsigned e = 0; e < n; ++e) {
    rhs[e] = cells[cells.size() / 2][e].value;
  }
  replaySteps(rhs, system.steps());
  return rhs;
}

// Arguments: solver threads, and 1 to accumulate the moments and fine
// histograms as well (0: band masses only).
void BM_EnumerationPhase(benchmark::State& state) {
  const int solverThreads = static_cast<int>(state.range(0));
  const LinearSystem system = benchmarkSystem(4);
  const EnumerationJobs jobs = enumerationJobs(Family::kUniform, 4, 50);
  SolveOptions options{.solverThreads = solverThreads,
                       .generatorThreads = 2,
                       .histogramPrecision = 10};
  options.counting = CountingChoice::kReplay;
  if (state.range(1) != 0) options.references = middleSolution(system, jobs);
  solveEveryIteration(state, EnumerationSource(jobs), system, options);
}
BENCHMARK(BM_EnumerationPhase)
    ->ArgNames({"threads", "moments"})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({1, 1})
    ->Args({2, 1})
    ->Iterations(5)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// n = 6 at 16 cells (16.8 M jobs), with the moments and fine histograms:
// the cost per job of a six-unknown system, for the estimate of an n = 6,
// 50-cell system in docs/performance.md.
void BM_EnumerationSixUnknowns(benchmark::State& state) {
  const LinearSystem system = benchmarkSystem(6);
  const EnumerationJobs jobs = enumerationJobs(Family::kTriangular, 6, 16);
  SolveOptions options{.solverThreads = static_cast<int>(state.range(0)),
                       .generatorThreads = 2,
                       .histogramPrecision = 10};
  options.counting = CountingChoice::kReplay;
  options.references = middleSolution(system, jobs);
  solveEveryIteration(state, EnumerationSource(jobs), system, options);
}
BENCHMARK(BM_EnumerationSixUnknowns)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Iterations(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// Counting by halves, with the moments and coverage borders, on 2 threads:
// n unknowns and C cells (n = 4, 50 cells: the bundled example's phases;
// n = 6, 50 cells and n = 8, 20 cells: 1.6e10 and 2.6e10 jobs a phase).
void BM_EnumerationByHalves(benchmark::State& state) {
  const auto n = static_cast<unsigned>(state.range(0));
  const LinearSystem system = benchmarkSystem(n);
  const EnumerationJobs jobs = enumerationJobs(
      Family::kTriangular, n, static_cast<int>(state.range(1)));
  SolveOptions options{.solverThreads = 2,
                       .generatorThreads = 2,
                       .histogramPrecision = 10};
  options.counting = CountingChoice::kHalves;
  options.references = middleSolution(system, jobs);
  solveEveryIteration(state, EnumerationSource(jobs), system, options);
}
BENCHMARK(BM_EnumerationByHalves)
    ->ArgNames({"n", "cells"})
    ->Args({4, 50})
    ->Args({6, 50})
    ->Args({8, 20})
    ->Iterations(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_SystemUnderOneMode(benchmark::State& state) {
  const auto n = static_cast<unsigned>(state.range(0));
  const LinearSystem system = benchmarkSystem(n);
  double solved = 0;
  for (auto _ : state) {
    for (Family family :
         {Family::kTriangular, Family::kNormal, Family::kUniform}) {
      const EnumerationSource jobs(enumerationJobs(family, n, 50));
      QuietStdout quiet;
      SolveOptions options{.solverThreads = 2,
                           .generatorThreads = 2,
                           .histogramPrecision = 10};
      options.counting = CountingChoice::kReplay;
      const PhaseBands bands = solvePhase(jobs, system, options);
      solved += static_cast<double>(bands[0].count);
    }
  }
  reportJobs(state, solved);
}
BENCHMARK(BM_SystemUnderOneMode)
    ->Arg(5)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

void BM_SamplingPhase(benchmark::State& state) {
  const LinearSystem system = benchmarkSystem(4);
  const std::vector<double> means = {1.0, 0.0, 0.5, -0.2};
  const SamplingJobs sampling{
      4, Family::kNormal,
      EntryParameters{2, {1.0, 0.01, 0.0, 0.0025, 0.5, 0.0025, -0.2, 0.0025}},
      static_cast<int>(state.range(0)), 12345u};
  const auto jobsMade = testing_support::randomSource(sampling);
  const JobSource& jobs = *jobsMade;
  SolveOptions options{.solverThreads = static_cast<int>(state.range(1)),
                       .generatorThreads = 1,
                       .histogramPrecision = 10};
  if (state.range(2) != 0) {
    options.references = means;
    replaySteps(options.references, system.steps());
  }
  solveEveryIteration(state, jobs, system, options);
}
BENCHMARK(BM_SamplingPhase)
    ->ArgNames({"samples", "threads", "moments"})
    ->Args({10000000, 1, 0})
    ->Args({10000000, 2, 0})
    ->Args({10000000, 2, 1})
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_ReplayOneJob(benchmark::State& state) {
  const LinearSystem system = benchmarkSystem(4);
  std::vector<double> rhs = {1.0, 0.0, 0.5, -0.2};
  for (auto _ : state) {
    replaySteps(rhs, system.steps());
    rhs = {1.0, 0.0, 0.5, -0.2};
    benchmark::DoNotOptimize(rhs.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReplayOneJob);

void BM_ReplayBlock(benchmark::State& state) {
  const LinearSystem system = benchmarkSystem(4);
  JobBlock block(4);
  for (auto _ : state) {
    for (unsigned e = 0; e < 4; ++e) {
      for (std::size_t j = 0; j < kBlockJobs; ++j) block.entry(e)[j] = 1.0 + e;
    }
    replayBlock(block.values.data(), kBlockJobs, kBlockJobs, system.steps());
    benchmark::DoNotOptimize(block.values.data());
  }
  state.SetItemsProcessed(state.iterations() *
                          static_cast<int64_t>(kBlockJobs));
}
BENCHMARK(BM_ReplayBlock);

// The counting of solved blocks into bands (and moments and fine
// histograms), without producing or replaying them: the blocks of one prefix
// of the enumeration benchmark, solved once beforehand.
void BM_CountBlocks(benchmark::State& state) {
  const LinearSystem system = benchmarkSystem(4);
  const EnumerationJobs jobs = enumerationJobs(Family::kUniform, 4, 50);
  const EnumerationFill fill(jobs);
  std::vector<JobBlock> blocks;
  PhaseBands bands(4);
  for (std::uint64_t first = 0; first < 125000; first += kBlockJobs) {
    blocks.emplace_back(4);
    const auto count = static_cast<std::size_t>(
        std::min<std::uint64_t>(kBlockJobs, 125000 - first));
    fill.fill(25, first, count, blocks.back());
    replayBlock(blocks.back().values.data(), kBlockJobs, count, system.steps());
    for (unsigned e = 0; e < 4; ++e) {
      for (std::size_t j = 0; j < count; ++j) {
        const double v = blocks.back().entry(e)[j];
        if (bands[e].count == 0 || v < bands[e].min) bands[e].min = v;
        if (bands[e].count == 0 || v > bands[e].max) bands[e].max = v;
        bands[e].count = 1;
      }
    }
  }
  for (PositionBands& position : bands) layBorders(position, 10);
  std::vector<double> references;
  if (state.range(0) != 0) references = middleSolution(system, jobs);
  const CountLayout layout(bands, references);
  BandCounter counter(layout);
  ChunkSums sums;
  std::int64_t counted = 0;
  for (auto _ : state) {
    for (const JobBlock& block : blocks) {
      counter.count(block);
      counted += static_cast<std::int64_t>(block.count);
    }
    counter.finishChunk(sums);
    benchmark::DoNotOptimize(sums.masses.data());
  }
  state.SetItemsProcessed(counted);
}
BENCHMARK(BM_CountBlocks)->ArgName("moments")->Arg(0)->Arg(1);

}  // namespace
}  // namespace linprob

BENCHMARK_MAIN();
