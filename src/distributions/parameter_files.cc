#include "distributions/parameter_files.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <utility>

#include "distributions/discretisation.h"
#include "distributions/phase_seed.h"
#include "base/number_file.h"

namespace linprob {
namespace {

// The two numbers of every pair: the first into `first`, the second into
// `second`, in entry order.
struct ParameterPairs {
  std::vector<double> first;
  std::vector<double> second;
};

ParameterPairs splitPairs(const std::vector<double>& values, unsigned n) {
  ParameterPairs pairs;
  pairs.first.reserve(n);
  pairs.second.reserve(n);
  for (unsigned i = 0; i < n; ++i) {
    pairs.first.push_back(values[2 * static_cast<std::size_t>(i)]);
    pairs.second.push_back(values[2 * static_cast<std::size_t>(i) + 1]);
  }
  return pairs;
}

std::string pairProblem(unsigned i, const std::string& what, double value) {
  std::ostringstream text;
  text << "pair " << i << " has " << what << " (" << value << ")";
  return text.str();
}

void checkNormalPair(unsigned i, double mean, double variance,
                     std::vector<std::string>& problems) {
  if (!std::isfinite(mean)) {
    problems.push_back(pairProblem(i, "a mean that is not finite", mean));
  }
  if (!std::isfinite(variance)) {
    problems.push_back(
        pairProblem(i, "a variance that is not finite", variance));
  } else if (variance < 0.0) {
    problems.push_back(pairProblem(i, "a negative variance", variance));
  }
}

void checkBoundsPair(unsigned i, double lower, double upper,
                     std::vector<std::string>& problems) {
  if (!std::isfinite(lower)) {
    problems.push_back(pairProblem(i, "an end that is not finite", lower));
    return;
  }
  if (!std::isfinite(upper)) {
    problems.push_back(pairProblem(i, "an end that is not finite", upper));
    return;
  }
  if (lower > upper) {
    std::ostringstream text;
    text << "pair " << i << " has its lower end above its upper end ("
         << lower << " > " << upper << ")";
    problems.push_back(text.str());
  }
}

}  // namespace

std::vector<std::string> checkParameterFile(const std::string& path, unsigned n,
                                            ParameterKind kind) {
  std::vector<std::string> problems;
  const auto file = readNumbers(path, 2 * static_cast<std::size_t>(n));
  if (!file.ok()) {
    problems.push_back(file.status().message());
    return problems;
  }
  const ParameterPairs pairs = splitPairs(file.value(), n);
  for (unsigned i = 0; i < n; ++i) {
    if (kind == ParameterKind::kNormal) {
      checkNormalPair(i, pairs.first[i], pairs.second[i], problems);
    } else {
      checkBoundsPair(i, pairs.first[i], pairs.second[i], problems);
    }
  }
  return problems;
}

Status loadPhaseJobs(Family family, const std::string& path, unsigned n,
                     int count, bool enumerate, PhaseJobs& jobs,
                     std::optional<std::uint64_t> seed) {
  // A phase whose file cannot be read has no job at all.
  jobs = PhaseJobs{};
  const auto file = readNumbers(path, 2 * static_cast<std::size_t>(n));
  if (!file.ok()) {
    return file.status();
  }
  ParameterPairs pairs = splitPairs(file.value(), n);
  if (enumerate) {
    jobs.enumerate = true;
    jobs.enumeration.n = n;
    switch (family) {
      case Family::kNormal:
        jobs.enumeration.cells =
            normalCells(n, count, pairs.first, pairs.second);
        break;
      case Family::kTriangular:
        jobs.enumeration.cells =
            triangularCells(n, count, pairs.first, pairs.second);
        break;
      case Family::kUniform:
        jobs.enumeration.cells =
            uniformCells(n, count, pairs.first, pairs.second);
        break;
    }
    return Status();
  }
  jobs.enumerate = false;
  SamplingJobs& sampling = jobs.sampling;
  sampling.n = n;
  sampling.family = family;
  sampling.first = std::move(pairs.first);
  sampling.second = std::move(pairs.second);
  sampling.sampleCount = count;
  // Every draw, in both passes over the samples, comes from the engine
  // seeded with it.
  sampling.seed = seed ? *seed : drawSeed();
  return Status();
}

}  // namespace linprob
