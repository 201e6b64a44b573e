// The interval matrix's methods on a random diagonally dominant system of
// n unknowns with radii of 1 % of each coefficient: the naive elimination
// under one pivot order, the verified enclosures together (their
// preconditioning, the certified inverse of the comparison matrix, the
// three methods), and the exact hull (2^n sign vectors), each on one
// thread.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "linear/exact_hull.h"
#include "linear/interval_matrix.h"
#include "linear/verified_enclosures.h"

namespace linprob {
namespace {

struct Problem {
  IntervalMatrix a;
  std::vector<ValueBounds> b;
};

Problem problemOf(unsigned n) {
  std::mt19937_64 engine(n);
  std::uniform_real_distribution<double> entry(-1.0, 1.0);
  Problem p{IntervalMatrix{n, {}}, {}};
  for (unsigned i = 0; i < n; ++i) {
    for (unsigned j = 0; j < n; ++j) {
      const double mid = i == j ? 0.6 * n + entry(engine) : entry(engine);
      const double r = 0.01 * (mid < 0 ? -mid : mid);
      p.a.entries.push_back({mid - r, mid + r});
    }
    const double mid = entry(engine);
    p.b.push_back({mid - 0.01, mid + 0.01});
  }
  return p;
}

PivotOrder identityOrder(unsigned n) {
  PivotOrder order;
  for (unsigned k = 0; k < n; ++k) {
    order.rows.push_back(k);
    order.columns.push_back(k);
  }
  return order;
}

void BM_NaiveElimination(benchmark::State& state) {
  const auto n = static_cast<unsigned>(state.range(0));
  const Problem p = problemOf(n);
  const PivotOrder order = identityOrder(n);
  for (auto _ : state) {
    benchmark::DoNotOptimize(naiveElimination(p.a, p.b, order));
  }
}
BENCHMARK(BM_NaiveElimination)->Arg(10)->Arg(100)->Arg(1000)
    ->Unit(benchmark::kMillisecond);

void BM_VerifiedEnclosures(benchmark::State& state) {
  const auto n = static_cast<unsigned>(state.range(0));
  const Problem p = problemOf(n);
  for (auto _ : state) {
    benchmark::DoNotOptimize(verifiedEnclosures(p.a, p.b));
  }
}
BENCHMARK(BM_VerifiedEnclosures)->Arg(10)->Arg(100)->Arg(1000)
    ->Unit(benchmark::kMillisecond);

void BM_ExactHull(benchmark::State& state) {
  const auto n = static_cast<unsigned>(state.range(0));
  const Problem p = problemOf(n);
  for (auto _ : state) {
    benchmark::DoNotOptimize(exactHull(p.a, p.b));
  }
}
BENCHMARK(BM_ExactHull)->Arg(4)->Arg(8)->Arg(10)->Arg(12)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace linprob
