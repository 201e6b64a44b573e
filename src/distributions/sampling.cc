#include "distributions/sampling.h"

#include <cmath>
#include <cstddef>
#include <iterator>
#include <optional>
#include <random>
#include <utility>

namespace linprob {
namespace {

// One distribution per entry; an entry without one is the constant `value`.
template <typename Distribution>
struct EntrySource {
  std::optional<Distribution> distribution;
  double value = 0.0;
};

// Draws sampleCount right-hand sides, sample by sample and entry by entry,
// all from one engine seeded once from the nondeterministic device, and
// queues each with the common weight; then the stopper.
template <typename Distribution>
void produceSamples(JobQueue& jobs, unsigned n, int sampleCount,
                    std::vector<EntrySource<Distribution>>& Distros) {
  std::random_device rd;
  std::mt19937 gen(rd());
  const double weight = sampleWeight(sampleCount);
  for (int s = 0; s < sampleCount; ++s) {
    ProbInstance New;
    New.rhs.resize(n);
    New.probability = weight;
    for (unsigned i = 0; i < n; ++i) {
      EntrySource<Distribution>& source = Distros[i];
      New.rhs[i] = source.distribution ? (*source.distribution)(gen)
                                       : source.value;
    }
    pushJob(jobs, std::move(New));
  }
  insertStopper(jobs);
}

}  // namespace

double sampleWeight(int sampleCount) {
  // Evaluated in single precision and only then widened.
  const float weight = 1.0f / static_cast<float>(sampleCount);
  return static_cast<double>(weight);
}

void sampleNormal(JobQueue& jobs, unsigned n, int sampleCount,
                  std::vector<double> Mean, std::vector<double> Variance) {
  using Normal = std::normal_distribution<double>;
  std::vector<EntrySource<Normal>> Distros(n);
  for (unsigned i = 0; i < n; ++i) {
    Distros[i].value = Mean[i];
    if (Variance[i] != 0.0) {
      Distros[i].distribution.emplace(Mean[i], std::sqrt(Variance[i]));
    }
  }
  produceSamples(jobs, n, sampleCount, Distros);
}

void sampleTriangular(JobQueue& jobs, unsigned n, int sampleCount,
                      std::vector<double> Lower, std::vector<double> Upper) {
  using Triangular = std::piecewise_linear_distribution<double>;
  std::vector<EntrySource<Triangular>> Distros(n);
  for (unsigned i = 0; i < n; ++i) {
    const double a = Lower[i];
    const double b = Upper[i];
    Distros[i].value = a;
    if (a == b) {
      continue;
    }
    const double sumOfEnds = a + b;
    const double width = b - a;
    const double Borders[3] = {a, sumOfEnds / 2.0, b};
    const double Densities[3] = {0.0, 2.0 / width, 0.0};
    Distros[i].distribution.emplace(std::begin(Borders), std::end(Borders),
                                    std::begin(Densities));
  }
  produceSamples(jobs, n, sampleCount, Distros);
}

void sampleUniform(JobQueue& jobs, unsigned n, int sampleCount,
                   std::vector<double> Lower, std::vector<double> Upper) {
  using Uniform = std::uniform_real_distribution<double>;
  std::vector<EntrySource<Uniform>> Distros(n);
  for (unsigned i = 0; i < n; ++i) {
    Distros[i].value = Lower[i];
    if (Lower[i] != Upper[i]) {
      Distros[i].distribution.emplace(Lower[i], Upper[i]);
    }
  }
  produceSamples(jobs, n, sampleCount, Distros);
}

}  // namespace linprob
