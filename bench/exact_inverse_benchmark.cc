// Time of ExactInverse::compute on random dense matrices.
//
//   ExactInverse/<n>/<decades>: entries sign * m * 10^e with m uniform in
//       [1, 10) (full 53-bit mantissas) and e uniform in [-decades/2,
//       decades/2), fixed seed. Twelve decades stand for inputs of mixed
//       magnitudes; the bit length of the integers (and so the time) grows
//       with the spread inside rows and columns.
// numerator_bits reports the size of the common denominator, a measure of
// the integers involved.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "linear/exact_inverse.h"

namespace linprob {
namespace {

std::vector<double> mixedMatrix(unsigned n, double decades) {
  std::mt19937_64 random(20240611u + n);
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  std::uniform_real_distribution<double> exponent(-decades / 2.0,
                                                  decades / 2.0);
  std::vector<double> matrix(static_cast<std::size_t>(n) * n);
  for (double& entry : matrix) {
    const double sign = (random() & 1) != 0 ? -1.0 : 1.0;
    entry = sign * mantissa(random) * std::pow(10.0, std::floor(exponent(random)));
  }
  return matrix;
}

void ExactInverseBenchmark(benchmark::State& state) {
  const unsigned n = static_cast<unsigned>(state.range(0));
  const std::vector<double> matrix =
      mixedMatrix(n, static_cast<double>(state.range(1)));
  double bits = 0.0;
  for (auto _ : state) {
    const std::optional<ExactInverse> inverse = ExactInverse::compute(n, matrix);
    benchmark::DoNotOptimize(inverse);
    if (inverse) bits = static_cast<double>(msb(inverse->denominator()) + 1);
  }
  state.counters["denominator_bits"] = bits;
}

BENCHMARK(ExactInverseBenchmark)
    ->Name("ExactInverse")
    ->Args({16, 12})
    ->Args({32, 12})
    ->Args({64, 12})
    ->Args({64, 0})
    ->Args({64, 60})
    ->Args({96, 12})
    ->Args({128, 12})
    ->Args({96, 60})
    ->Args({64, 200})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace
}  // namespace linprob
