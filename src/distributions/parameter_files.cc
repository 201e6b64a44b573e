#include "distributions/parameter_files.h"

#include <cmath>
#include <cstddef>
#include <sstream>


namespace linprob {
namespace {

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

std::vector<std::string> checkParameterPairs(const std::vector<double>& numbers,
                                             unsigned n, ParameterKind kind) {
  std::vector<std::string> problems;
  const ParameterPairs pairs = splitPairs(numbers, n);
  for (unsigned i = 0; i < n; ++i) {
    if (kind == ParameterKind::kNormal) {
      checkNormalPair(i, pairs.first[i], pairs.second[i], problems);
    } else {
      checkBoundsPair(i, pairs.first[i], pairs.second[i], problems);
    }
  }
  return problems;
}

}  // namespace linprob
