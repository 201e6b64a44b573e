// The cost of the variance shares and the continuous truth of one system of
// the bundled example (examples/Matrix<K>), as a run spends it:
//
//   TruthOfExampleSystem/system:K: the shares of the three families and the
//       truth of every family and unknown under each of the four pivoting
//       modes, over 11 bands across the unknown's range (the run's VALID
//       borders differ a little per mode; their number is what costs).
// The system's exact inverse is computed once, outside the timing: it
// serves the exact references as well and was paid for before this work.
#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "results/continuous_truth.h"
#include "results/system_reference.h"

namespace linprob {
namespace {

constexpr unsigned kUnknowns = 4;
constexpr int kBands = 11;
constexpr int kModes = 4;

std::vector<double> numbersOf(const std::string& path, std::size_t count) {
  std::ifstream in(path);
  std::vector<double> values(count);
  for (double& v : values) in >> v;
  return values;
}

SystemReference exampleReference(int system) {
  const std::string folder = std::string(LINPROB_SOURCE_DIR) +
                             "/examples/Matrix" + std::to_string(system) + "/";
  SystemInputs inputs;
  inputs.system = system;
  inputs.n = kUnknowns;
  inputs.matrix = numbersOf(folder + "Matice.txt", kUnknowns * kUnknowns);
  inputs.rhs = numbersOf(folder + "RealRHS.txt", kUnknowns);
  const std::vector<double> box = numbersOf(folder + "IntRHS.txt", 2 * kUnknowns);
  for (unsigned j = 0; j < kUnknowns; ++j) {
    inputs.intervalRhs.push_back({box[2 * j], box[2 * j + 1]});
  }
  inputs.parametersOf(ParameterKind::kNormal) = numbersOf(folder + "NormalRHS.txt", 2 * kUnknowns);
  inputs.parametersOf(ParameterKind::kBounds) = numbersOf(folder + "UniformRHS.txt", 2 * kUnknowns);
  return makeSystemReference(std::move(inputs));
}

void TruthOfExampleSystem(benchmark::State& state) {
  const SystemReference reference =
      exampleReference(static_cast<int>(state.range(0)));
  // Borders across mean +- 4 sd of each family's exact linear normal.
  std::vector<std::vector<std::vector<double>>> borders(kFamilies.size());
  for (const FamilyInfo& info : kFamilies) {
    const FamilyReference& family = *reference.family(info.family);
    for (const std::optional<UnknownMoments>& m : family.exactLinear) {
      // The example's moments are all decided.
      const double sd = std::sqrt(m->variance);
      std::vector<double> b;
      for (int k = 0; k <= kBands; ++k) {
        b.push_back(m->mean - 4 * sd + 8 * sd * k / kBands);
      }
      borders[static_cast<std::size_t>(info.family)].push_back(b);
    }
  }
  std::vector<boost::multiprecision::cpp_rational> variances;
  for (unsigned j = 0; j < kUnknowns; ++j) variances.push_back(1 + j);
  for (auto _ : state) {
    for (const FamilyInfo& info : kFamilies) {
      // Shares cost the same whatever the variances: stand-ins here.
      benchmark::DoNotOptimize(varianceShares(*reference.inverseRows, variances));
      for (int mode = 0; mode < kModes; ++mode) {
        for (unsigned u = 0; u < kUnknowns; ++u) {
          const std::vector<double>& b =
              borders[static_cast<std::size_t>(info.family)][u];
          const std::vector<double> upper(b.begin() + 1, b.end());
          TruthQuestion question;
          question.inverse = reference.inverseRows.get();
          question.unknown = u;
          question.shape = info.shape;
          question.pairs = &reference.parametersOf(info.parameterKind);
          question.min = b.front();
          question.borders = &upper;
          question.walked = upper.size();
          benchmark::DoNotOptimize(continuousTruth(question));
        }
      }
    }
  }
}
BENCHMARK(TruthOfExampleSystem)
    ->ArgName("system")
    ->DenseRange(0, 4)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace linprob
