#include "distributions/parameter_files.h"

#include <cmath>
#include <cstddef>
#include <sstream>
#include <utility>

#include "distributions/discretisation.h"
#include "distributions/sampling.h"
#include "linear/number_file.h"

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

// Reads the n pairs of `path`. The driver checked the file before the run;
// if it cannot be read now the phase has no job, only the stopper, so the
// solver threads still end.
bool readPairs(const std::string& path, unsigned n, JobQueue& jobs,
               ParameterPairs& pairs) {
  const NumberFile file = readNumbers(path, 2 * static_cast<std::size_t>(n));
  if (!file.ok()) {
    insertStopper(jobs);
    return false;
  }
  pairs = splitPairs(file.values, n);
  return true;
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
  const NumberFile file = readNumbers(path, 2 * static_cast<std::size_t>(n));
  if (!file.ok()) {
    problems.push_back(file.problem);
    return problems;
  }
  const ParameterPairs pairs = splitPairs(file.values, n);
  for (unsigned i = 0; i < n; ++i) {
    if (kind == ParameterKind::kNormal) {
      checkNormalPair(i, pairs.first[i], pairs.second[i], problems);
    } else {
      checkBoundsPair(i, pairs.first[i], pairs.second[i], problems);
    }
  }
  return problems;
}

void produceNormalJobs(std::string path, JobQueue& jobs, unsigned n, int count,
                       bool enumerate, int generatorCount) {
  ParameterPairs pairs;
  if (!readPairs(path, n, jobs, pairs)) {
    return;
  }
  if (enumerate) {
    enumerateNormal(jobs, n, count, std::move(pairs.first),
                    std::move(pairs.second), generatorCount);
  } else {
    sampleNormal(jobs, n, count, std::move(pairs.first),
                 std::move(pairs.second));
  }
}

void produceTriangularJobs(std::string path, JobQueue& jobs, unsigned n,
                           int count, bool enumerate, int generatorCount) {
  ParameterPairs pairs;
  if (!readPairs(path, n, jobs, pairs)) {
    return;
  }
  if (enumerate) {
    enumerateTriangular(jobs, n, count, std::move(pairs.first),
                        std::move(pairs.second), generatorCount);
  } else {
    sampleTriangular(jobs, n, count, std::move(pairs.first),
                     std::move(pairs.second));
  }
}

void produceUniformJobs(std::string path, JobQueue& jobs, unsigned n,
                        int count, bool enumerate, int generatorCount) {
  ParameterPairs pairs;
  if (!readPairs(path, n, jobs, pairs)) {
    return;
  }
  if (enumerate) {
    enumerateUniform(jobs, n, count, std::move(pairs.first),
                     std::move(pairs.second), generatorCount);
  } else {
    sampleUniform(jobs, n, count, std::move(pairs.first),
                  std::move(pairs.second));
  }
}

}  // namespace linprob
