// Time of a system's references on random dense matrices.
//
//   CertifiedReference/<n>/<decades>: CertifiedInverse::compute and
//       computeCertifiedReference (true solution, hull, condition number and
//       one set of moments); entries sign * m * 10^e with m uniform in
//       [1, 10) (full 53-bit mantissas) and e uniform in [-decades/2,
//       decades/2), plus n on the diagonal when `decades` is 0 (diagonally
//       dominant), fixed seed.
//   ExactReference/<n>/<decades>: the exact path over every row
//       (computeExactReference), the last resort, for comparison.
// terms reports the inverse's terms, exact_rows the rows the last resort
// computed.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <stop_token>
#include <vector>

#include "linear/certified_reference.h"
#include "linear/exact_reference.h"

namespace linprob {
namespace {

struct BenchSystem {
  std::vector<double> matrix;
  ReferenceRequest request;
};

BenchSystem mixedSystem(unsigned n, double decades) {
  std::mt19937_64 random(20240611u + n);
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  std::uniform_real_distribution<double> exponent(-decades / 2.0,
                                                  decades / 2.0);
  BenchSystem system;
  system.matrix.resize(static_cast<std::size_t>(n) * n);
  for (std::size_t k = 0; k < system.matrix.size(); ++k) {
    const double sign = (random() & 1) != 0 ? -1.0 : 1.0;
    system.matrix[k] =
        sign * mantissa(random) * std::pow(10.0, std::floor(exponent(random)));
    if (decades == 0.0 && k % (n + 1) == 0) system.matrix[k] = 10.0 * n;
  }
  std::vector<EntryMoments> moments;
  for (unsigned j = 0; j < n; ++j) {
    const double b = mantissa(random);
    system.request.rhs.push_back(b);
    system.request.intervalRhs.push_back({b - 0.01, b + 0.01});
    moments.push_back(boundedEntryMoments(b - 0.01, b + 0.01, 12));
  }
  system.request.momentSets.push_back(std::move(moments));
  return system;
}

void CertifiedReferenceBenchmark(benchmark::State& state) {
  const unsigned n = static_cast<unsigned>(state.range(0));
  const BenchSystem system = mixedSystem(n, static_cast<double>(state.range(1)));
  double terms = 0.0;
  double exactRows = 0.0;
  for (auto _ : state) {
    CertifiedInverseResult inverse =
        CertifiedInverse::compute(n, system.matrix, std::stop_token());
    if (!inverse.inverse) {
      state.SkipWithError("not certified");
      return;
    }
    const auto reference =
        computeCertifiedReference(*inverse.inverse, system.request,
                                  LastResort::kWhenAffordable, std::stop_token());
    benchmark::DoNotOptimize(reference);
    terms = inverse.inverse->terms();
    exactRows = reference ? reference->exactRows : 0;
  }
  state.counters["terms"] = terms;
  state.counters["exact_rows"] = exactRows;
}

void ExactReferenceBenchmark(benchmark::State& state) {
  const unsigned n = static_cast<unsigned>(state.range(0));
  const BenchSystem system = mixedSystem(n, static_cast<double>(state.range(1)));
  for (auto _ : state) {
    const auto reference = computeExactReference(
        n, system.matrix, system.request.rhs, system.request.intervalRhs);
    benchmark::DoNotOptimize(reference);
  }
}

BENCHMARK(CertifiedReferenceBenchmark)
    ->Name("CertifiedReference")
    ->Args({16, 12})
    ->Args({64, 12})
    ->Args({64, 60})
    ->Args({128, 12})
    ->Args({200, 0})
    ->Args({500, 0})
    ->Args({1000, 0})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

BENCHMARK(ExactReferenceBenchmark)
    ->Name("ExactReference")
    ->Args({16, 12})
    ->Args({64, 12})
    ->Args({64, 60})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace
}  // namespace linprob
