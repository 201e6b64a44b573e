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

}  // namespace

namespace parameter_checks {

void normalEntry(unsigned i, std::span<const double> numbers,
                 std::vector<std::string>& problems) {
  const double mean = numbers[0];
  const double variance = numbers[1];
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

void boundsEntry(unsigned i, std::span<const double> numbers,
                 std::vector<std::string>& problems) {
  const double lower = numbers[0];
  const double upper = numbers[1];
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

}  // namespace parameter_checks

namespace parameter_stand_ins {

void normalEntry(double center, double halfWidth, std::vector<double>& numbers) {
  numbers.push_back(center);
  numbers.push_back(halfWidth * halfWidth / 3.0);
}

void boundsEntry(double center, double halfWidth, std::vector<double>& numbers) {
  numbers.push_back(center - halfWidth);
  numbers.push_back(center + halfWidth);
}

}  // namespace parameter_stand_ins

std::vector<std::string> checkParameters(const std::vector<double>& numbers,
                                         unsigned n, ParameterKind kind) {
  const ParameterKindInfo& info = kindInfo(kind);
  const unsigned width = entryWidth(kind, numbers.size(), n);
  const std::span<const double> all(numbers);
  std::vector<std::string> problems;
  if (width == 0 && n > 0) {
    problems.push_back("holds " + std::to_string(numbers.size()) +
                       " numbers, not a line of at least " +
                       std::to_string(info.numbersPerEntry) + " for each of " +
                       std::to_string(n) + " entries");
    return problems;
  }
  for (unsigned i = 0; i < n; ++i) {
    info.checkEntry(i, all.subspan(std::size_t{i} * width, width), problems);
  }
  return problems;
}

}  // namespace linprob
