// Throughput of the replay and of whole sampling phases on large systems.
//
//   LargeReplay/n:N/tiled:T: one block of kBlockJobs right-hand sides of a
//       diagonally dominant n x n system replayed per iteration, by the tiled
//       replay of the compiled schedule (T = 1) or step by step (T = 0), on
//       one thread or two (each with a block of its own).
//       step_applications_per_second: recorded combinations times lanes.
//   LargeSamplingPhase/n:N/samples:S: one normal sampling phase of S samples
//       on two solver threads, with the moments and fine histograms, as a
//       run solves it; samples_per_second.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <vector>

#include "base/console.h"
#include "distributions/job_block.h"
#include "distributions/job_source.h"
#include "distributions/sample_blocks.h"
#include "distributions/sampling_source.h"
#include "linear/linear_system.h"
#include "linear/pivot_mode.h"
#include "linear/replay_schedule.h"
#include "linear/step_replay.h"
#include "linear/tiled_replay.h"
#include "solve/phase_solver.h"
#include "support/random_source.h"

namespace linprob {
namespace {

// Like scripts' large systems: uniform entries in [-1, 1], the diagonal
// n / 2 and more.
LinearSystem largeInput(unsigned n) {
  std::mt19937_64 random(n);
  std::uniform_real_distribution<double> entry(-1.0, 1.0);
  LinearSystem system(n);
  for (unsigned c = 0; c < n; ++c) {
    for (unsigned r = 0; r < n; ++r) {
      system.setCoefficient(r, c, r == c ? n / 2.0 + 1.0 : entry(random));
    }
  }
  return system;
}

// The large system eliminated without pivoting.
LinearSystem largeSystem(unsigned n) {
  LinearSystem system = largeInput(n);
  system.eliminate(kPivotModes[0]);
  return system;
}

double combinations(const LinearSystem& system) {
  double count = 0;
  for (const step& s : system.steps()) {
    if (s.type == StepKind::kCombination) ++count;
  }
  return count;
}

// The system of n unknowns and its schedule, built once per n and kept,
// so that the threads of a benchmark share them.
struct Large {
  explicit Large(unsigned n)
      : system(largeSystem(n)), schedule(system.steps(), n) {}
  LinearSystem system;
  ReplaySchedule schedule;
};

const Large& large(unsigned n) {
  static std::mutex mutex;
  static std::map<unsigned, std::unique_ptr<Large>> built;
  const std::lock_guard<std::mutex> lock(mutex);
  std::unique_ptr<Large>& own = built[n];
  if (!own) own = std::make_unique<Large>(n);
  return *own;
}

void BM_LargeReplay(benchmark::State& state) {
  const auto n = static_cast<unsigned>(state.range(0));
  const bool tiled = state.range(1) != 0;
  const Large& built = large(n);
  JobBlock block(n);
  std::mt19937_64 random(static_cast<std::uint64_t>(state.thread_index()));
  std::uniform_real_distribution<double> value(-5.0, 5.0);
  for (double& v : block.values) v = value(random);
  const std::vector<double> fresh = block.values;
  for (auto _ : state) {
    if (tiled) {
      replayScheduled(built.schedule, block.values.data(), kBlockJobs,
                      kBlockJobs);
    } else {
      replayBlock(block.values.data(), kBlockJobs, kBlockJobs,
                  built.system.steps());
    }
    benchmark::DoNotOptimize(block.values.data());
    state.PauseTiming();
    block.values = fresh;
    state.ResumeTiming();
  }
  state.counters["step_applications_per_second"] = benchmark::Counter(
      combinations(built.system) * kBlockJobs *
          static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LargeReplay)
    ->ArgNames({"n", "tiled"})
    ->ArgsProduct({{20, 100, 500, 1000}, {0, 1}})
    ->Threads(1)
    ->Threads(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The elimination of the large system under each pivoting mode.
void BM_LargeElimination(benchmark::State& state) {
  const auto n = static_cast<unsigned>(state.range(0));
  const PivotMode& mode = kPivotModes[static_cast<std::size_t>(state.range(1))];
  const LinearSystem input = largeInput(n);
  for (auto _ : state) {
    LinearSystem system = input;
    system.eliminate(mode);
    benchmark::DoNotOptimize(system.steps().data());
  }
}
BENCHMARK(BM_LargeElimination)
    ->ArgNames({"n", "mode"})
    ->ArgsProduct({{500, 1000}, {0, 1, 2, 3}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The draws alone: one block of kBlockJobs samples of 20 entries per
// iteration, for each family (0 triangular, 1 normal, 2 uniform).
void BM_DrawBlock(benchmark::State& state) {
  const unsigned n = 20;
  EntryParameters entries{2, {}};
  for (unsigned e = 0; e < n; ++e) entries.numbers.insert(entries.numbers.end(), {1.0, 2.0});
  SamplingJobs jobs{n, static_cast<Family>(state.range(0)), entries, 1 << 30,
                    11};
  const SampleBlocks samples(jobs);
  JobBlock block(n);
  std::uint64_t b = 0;
  for (auto _ : state) {
    samples.fill(b++, block);
    benchmark::DoNotOptimize(block.values.data());
  }
  state.counters["values_per_second"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * n * kBlockJobs,
      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawBlock)->ArgName("family")->Arg(0)->Arg(1)->Arg(2);

void BM_LargeSamplingPhase(benchmark::State& state) {
  const auto n = static_cast<unsigned>(state.range(0));
  const LinearSystem system = largeSystem(n);
  EntryParameters entries{2, {}};
  for (unsigned e = 0; e < n; ++e) {
    entries.numbers.insert(entries.numbers.end(), {1.0, 0.01});
  }
  const SamplingJobs sampling{n, Family::kNormal, entries,
                              static_cast<int>(state.range(1)), 7};
  const auto jobsMade = testing_support::randomSource(sampling);
  const JobSource& jobs = *jobsMade;
  SolveOptions options{.solverThreads = 2, .histogramPrecision = 10};
  options.references = std::vector<double>(n, 1.0);
  replaySteps(options.references, system.steps());
  double samples = 0;
  showJobLines(false);
  for (auto _ : state) {
    const PhaseBands bands = solvePhase(jobs, system, options);
    samples += static_cast<double>(bands[0].count);
    benchmark::DoNotOptimize(bands.data());
  }
  state.counters["samples_per_second"] =
      benchmark::Counter(samples, benchmark::Counter::kIsRate);
  showJobLines(true);
}
BENCHMARK(BM_LargeSamplingPhase)
    ->ArgNames({"n", "samples"})
    ->Args({20, 1000000})
    ->Args({100, 100000})
    ->Args({500, 10000})
    ->Args({1000, 10000})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace linprob
