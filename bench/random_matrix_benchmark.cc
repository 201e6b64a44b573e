// One drawn system eliminated and solved per sample (a random matrix's
// phase), under row pivoting, at n = 4, 10 and 50: the time per sample of
// the kernel alone, over a block of 1024 drawn systems as a phase holds
// them (entry-major lanes). scripts/benchmark.sh sets it beside numpy's
// batched numpy.linalg.solve of as many systems.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <random>
#include <vector>

#include "distributions/job_block.h"
#include "linear/pivot_mode.h"
#include "linear/sample_batch.h"
#include "linear/sample_elimination.h"

namespace linprob {
namespace {

// What the systems are drawn as.
enum class Draws {
  kUniform,   // every entry of b and A uniform on [-1, 1]
  kNearMean,  // A within 5 % of a mean uniform on [-1, 1] plus n/2 on
              // its diagonal (b uniform on [-1, 1])
};

// b's n entries, then A's n^2, each kBlockJobs lanes.
std::vector<double> drawnLanes(unsigned n, Draws draws) {
  std::vector<double> lanes((n + std::size_t{n} * n) * kBlockJobs);
  std::mt19937_64 random(5);
  std::uniform_real_distribution<double> entry(-1.0, 1.0);
  for (double& v : lanes) v = entry(random);
  if (draws == Draws::kNearMean) {
    for (std::size_t e = 0; e < std::size_t{n} * n; ++e) {
      double mean = entry(random);
      if (e % (n + 1) == 0) mean += n / 2.0;
      double* const lane = lanes.data() + (n + e) * kBlockJobs;
      for (std::size_t j = 0; j < kBlockJobs; ++j) {
        lane[j] = mean * (1.0 + 0.05 * lane[j]);
      }
    }
  }
  return lanes;
}

// n = 4, 10 and 50 under row pivoting, n = 10 under both; the batch also
// near a mean (draws:1).
void sizesAndModes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"n", "mode", "draws"})
      ->Args({4, 1, 0})
      ->Args({10, 1, 0})
      ->Args({50, 1, 0})
      ->Args({10, 3, 0})
      ->Unit(benchmark::kMicrosecond);
}

void BM_SampleElimination(benchmark::State& state) {
  const auto n = static_cast<unsigned>(state.range(0));
  const PivotMode& mode = kPivotModes[static_cast<std::size_t>(state.range(1))];
  const std::vector<double> lanes = drawnLanes(n, Draws::kUniform);
  SampleElimination solver(n, mode, 1e15);
  const double* rhs = lanes.data();
  const double* matrix = lanes.data() + std::size_t{n} * kBlockJobs;
  double sum = 0.0;
  for (auto _ : state) {
    for (std::size_t j = 0; j < kBlockJobs; ++j) {
      if (solver.solve(matrix + j, rhs + j, kBlockJobs) ==
          SampleOutcome::kSolved) {
        sum += solver.valueAt(0);
      }
    }
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(kBlockJobs));
}
BENCHMARK(BM_SampleElimination)->Apply(sizesAndModes);

// The same systems kBatchLanes at a time, one per vector lane, as a
// phase solves them.
void BM_SampleBatch(benchmark::State& state) {
  const auto n = static_cast<unsigned>(state.range(0));
  const PivotMode& mode = kPivotModes[static_cast<std::size_t>(state.range(1))];
  const std::vector<double> lanes =
      drawnLanes(n, static_cast<Draws>(state.range(2)));
  SampleBatch solver(n, mode, 1e15);
  const double* rhs = lanes.data();
  const double* matrix = lanes.data() + std::size_t{n} * kBlockJobs;
  double sum = 0.0;
  for (auto _ : state) {
    for (std::size_t j = 0; j < kBlockJobs; j += kBatchLanes) {
      solver.solve(matrix + j, rhs + j, kBlockJobs, kBatchLanes);
      if (solver.solved(0)) sum += solver.valueAt(0, 0);
    }
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(kBlockJobs));
}
BENCHMARK(BM_SampleBatch)
    ->Apply(sizesAndModes)
    ->Args({4, 1, 1})
    ->Args({10, 1, 1})
    ->Args({50, 1, 1});

}  // namespace
}  // namespace linprob
