#include "check/given_check.h"

#include <cmath>
#include <cstddef>
#include <string>
#include <utility>

#include "check/correlation_check.h"
#include "check/numeric_check.h"
#include "check/random_matrix_check.h"
#include "distributions/entry_correlation.h"
#include "config/mode_eliminations.h"
#include "distributions/parameter_files.h"
#include "distributions/random_matrix_files.h"
#include "linear/system_files.h"

namespace linprob {
namespace {

// Whether `numbers` are the `count` finite numbers a file would hold; the
// problem otherwise, in the words of a file's reader.
std::optional<std::string> countProblem(const std::vector<double>& numbers,
                                        std::size_t count) {
  if (numbers.size() != count) {
    return "holds " + std::to_string(numbers.size()) + " numbers, not " +
           std::to_string(count);
  }
  for (std::size_t k = 0; k < numbers.size(); ++k) {
    if (!std::isfinite(numbers[k])) {
      return "number " + std::to_string(k) + " is not finite (" +
             std::to_string(numbers[k]) + ")";
    }
  }
  return std::nullopt;
}

// The interval's pairs as the numbers of IntRHS.txt: lower, upper, ...
std::vector<double> intervalNumbers(const std::vector<ValueBounds>& pairs) {
  std::vector<double> numbers;
  numbers.reserve(2 * pairs.size());
  for (const ValueBounds& pair : pairs) {
    numbers.push_back(pair.lower);
    numbers.push_back(pair.upper);
  }
  return numbers;
}

// One system's numbers checked as its files' would be: `inputs.read`
// marks those found sound.
void checkNumbers(ReadInputs& inputs, InputCheck& check) {
  const std::size_t n = inputs.files.n;
  const auto take = [&](const char* file, const std::vector<double>& numbers,
                        std::size_t count, SystemFile which) {
    if (const auto problem = countProblem(numbers, count)) {
      check.errors.push_back(inputs.folder + file + ": " + *problem);
      return false;
    }
    inputs.mark(which);
    return true;
  };
  take(kMatrixFile, inputs.files.matrix, n * n, SystemFile::kMatrix);
  take(kRealRhsFile, inputs.files.rhs, n, SystemFile::kRealRhs);
  const std::vector<double> bounds = intervalNumbers(inputs.files.intervalRhs);
  if (take(kIntervalRhsFile, bounds, 2 * n, SystemFile::kIntervalRhs)) {
    if (const Status pairs = checkIntervalPairs(bounds); !pairs.ok()) {
      check.errors.push_back(inputs.folder + kIntervalRhsFile + ": " +
                             pairs.message());
      inputs.read.reset(static_cast<std::size_t>(SystemFile::kIntervalRhs));
    }
  }
  for (const ParameterKindInfo& kind : kParameterKinds) {
    const std::vector<double>& numbers = inputs.files.parametersOf(kind.kind);
    const SystemFile file = parameterSystemFile(kind.kind);
    // A file a system may go without, given empty, is one it has not: no
    // family of the system may read it then.
    if (kind.presence == Presence::kOptional && numbers.empty() &&
        !inputs.files.reads(kind.kind)) {
      inputs.mark(file);
      continue;
    }
    // A file of lines is as wide as its numbers make it; too few refused
    // below.
    const std::size_t count =
        kind.layout == EntryLayout::kLine
            ? numbers.size()
            : parameterCount(kind.kind, numbers.size(), inputs.files.n);
    if (!take(kind.file, numbers, count, file)) continue;
    const std::vector<std::string> problems =
        checkParameters(numbers, inputs.files.n, kind.kind);
    for (const std::string& p : problems) {
      check.errors.push_back(inputs.folder + kind.file + ": " + p);
    }
    if (!problems.empty()) inputs.read.reset(static_cast<std::size_t>(file));
  }
}

}  // namespace

RunInputsCheck checkGivenInputs(const RunConfig& config,
                                std::vector<SystemNumbers>&& given,
                                const std::stop_token& stop,
                                FirstElimination first,
                                std::optional<std::uint64_t> runSeed) {
  RunInputsCheck check;
  const int count = config.settings().MaxMatrix;
  if (given.size() != static_cast<std::size_t>(count)) {
    check.errors.push_back("the run is given " + std::to_string(given.size()) +
                           (given.size() == 1 ? " system" : " systems") +
                           ", not MaxMatrix " + std::to_string(count));
    return check;
  }
  const bool keep =
      keptEliminationBytes(config.settings().Dimensions, count) > 0;
  for (int i = 0; i < count && !stop.stop_requested(); ++i) {
    ReadInputs inputs;
    inputs.folder = systemFolder(i);
    static_cast<SystemNumbers&>(inputs.files) =
        std::move(given[static_cast<std::size_t>(i)]);
    inputs.files.system = i;
    inputs.files.n = config.settings().Dimensions;
    checkNumbers(inputs, check);
    if (inputs.files.correlated()) {
      const std::size_t n = inputs.files.n;
      const std::string path = inputs.folder + kCorrelationFile;
      if (const auto problem =
              countProblem(inputs.files.correlation, n * n)) {
        check.errors.push_back(path + ": " + *problem);
      } else {
        checkCorrelationOf(inputs.folder, inputs.files.correlation,
                           inputs.files.n, check.errors);
      }
    }
    if (!inputs.files.intervalMatrix.empty()) {
      const std::size_t n = inputs.files.n;
      const std::string path = inputs.folder + kIntervalMatrixFile;
      std::vector<double> ends;
      for (const ValueBounds& pair : inputs.files.intervalMatrix) {
        ends.push_back(pair.lower);
        ends.push_back(pair.upper);
      }
      if (const auto problem = countProblem(ends, 2 * n * n)) {
        check.errors.push_back(path + ": " + *problem);
      } else if (const Status pairs =
                     checkIntervalMatrixPairs(ends, inputs.files.n);
                 !pairs.ok()) {
        check.errors.push_back(path + ": " + pairs.message());
      }
    }
    const std::size_t before = check.errors.size();
    for (const RandomMatrixFile& random : kRandomMatrixFiles) {
      const std::vector<double>& numbers =
          inputs.files.randomMatrixOf(random.kind);
      if (numbers.empty()) continue;
      const std::size_t n = inputs.files.n;
      const std::string path = inputs.folder + random.file;
      if (const auto problem = countProblem(numbers, 2 * n * n)) {
        check.errors.push_back(path + ": " + *problem);
        continue;
      }
      for (const std::string& problem :
           checkRandomMatrix(numbers, inputs.files.n, random.kind)) {
        check.errors.push_back(path + ": " + problem);
      }
    }
    // What the run cannot do with sound random matrices.
    if (check.errors.size() == before) {
      checkRandomMatrixUse(inputs.folder, inputs.files, config, check.errors);
    }
    // As the files' check: the first system's first mode kept for --check
    // when the others are not.
    const bool firstAlone =
        !keep && i == 0 && first == FirstElimination::kAlwaysKept;
    NumericFigures figures;
    inputs.files.conditionEstimate = checkNumerics(
        inputs, config, check, stop,
        keep || firstAlone ? &inputs.eliminated : nullptr,
        firstAlone ? KeptEliminations::kFirst : KeptEliminations::kEvery,
        &figures, runSeed);
    if (stop.stop_requested()) break;
    if (inputs.read.all()) {
      check.systems.push_back(std::move(inputs.files));
      check.eliminated.push_back(std::move(inputs.eliminated));
      check.figures.push_back(figures);
    }
  }
  return check;
}

}  // namespace linprob
