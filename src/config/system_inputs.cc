#include "config/system_inputs.h"

#include <algorithm>
#include <array>
#include <limits>
#include <cstddef>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "base/packed_bytes.h"
#include "distributions/enumeration_source.h"
#include "distributions/point_kinds.h"

namespace linprob {
namespace {

constexpr const char* kCutShort = "system inputs: cut short";

}  // namespace

void addCells(const RunConfig& config, SystemInputs& inputs) {
  // Only enumeration has cells; sampled points are not made here.
  if (inputs.n > kMaxCertifiedSize || drawsSamples(config.points())) return;
  for (const FamilyInfo& family : kFamilies) {
    if (!inputs.runs(family.family)) continue;
    if (inputs.correlated()) {
      // The jobs are the copula's images of normal cells
      // (distributions/copula_enumeration.h): no cells of the entries'
      // own whose moments the references could take.
      inputs.cells[static_cast<std::size_t>(family.family)].emplace();
      continue;
    }
    SourceRequest request = requestFor(
        config, family,
        entryParameters(family, inputs.parametersOf(family.parameterKind),
                        inputs.n));
    request.n = inputs.n;
    const std::unique_ptr<JobSource> source = makeJobSource(request);
    if (const EnumerationJobs* cells = source->cells()) {
      inputs.cells[static_cast<std::size_t>(family.family)] = cells->cells;
    }
  }
}

OwnCellPhases ownCellPhases(const RunConfig& config,
                            const std::vector<SystemInputs>& systems) {
  OwnCellPhases phases;
  if (drawsSamples(config.points())) return phases;
  for (const SystemInputs& system : systems) {
    for (const FamilyInfo& family : kFamilies) {
      if (family.cellCount != CellCount::kOnePerValue ||
          !system.runs(family.family)) {
        continue;
      }
      const ParameterKind kind = family.parameterKind;
      const auto cells = static_cast<int>(
          entryWidth(kind, system.parametersOf(kind).size(), system.n));
      const std::uint64_t jobs =
          phaseJobsOf(config.points(), system.n, cells).jobs;
      phases.fewestCells =
          phases.systems == 0 ? cells : std::min(phases.fewestCells, cells);
      phases.mostCells = std::max(phases.mostCells, cells);
      ++phases.systems;
      if (__builtin_add_overflow(phases.jobs, jobs, &phases.jobs)) {
        phases.jobs = std::numeric_limits<std::uint64_t>::max();
      }
    }
  }
  return phases;
}

// The bytes: n, then each list as its count and its numbers (the matrix,
// the plain and the interval right-hand side, each parameter file in the
// order of kParameterKinds); then the check's condition estimate as a list
// of none or one; then the families it runs, as a count whose bits they
// are; the correlation matrix (empty for independent entries); last the
// interval matrix's ends (empty without one); the random matrices by kind.
std::string toBytes(const SystemNumbers& numbers) {
  static_assert(sizeof(ValueBounds) == 2 * sizeof(double));
  BytePacker bytes;
  bytes.putCount(numbers.n);
  bytes.putNumbers(numbers.matrix);
  bytes.putNumbers(numbers.rhs);
  bytes.putNumbers(reinterpret_cast<const double*>(numbers.intervalRhs.data()),
                   2 * numbers.intervalRhs.size());
  for (const std::vector<double>& file : numbers.parameters) {
    bytes.putNumbers(file);
  }
  const std::optional<double>& estimate = numbers.conditionEstimate;
  bytes.putNumbers(estimate ? &*estimate : nullptr, estimate ? 1 : 0);
  bytes.putCount(numbers.families.to_ulong());
  bytes.putNumbers(numbers.correlation);
  bytes.putNumbers(reinterpret_cast<const double*>(numbers.intervalMatrix.data()),
                   2 * numbers.intervalMatrix.size());
  for (const std::vector<double>& matrix : numbers.randomMatrix) {
    bytes.putNumbers(matrix);
  }
  return std::move(bytes.bytes());
}

SystemInputs systemInputsFromBytes(const std::string& bytes) {
  ByteUnpacker reader(bytes, kCutShort);
  SystemInputs inputs;
  inputs.n = static_cast<unsigned>(reader.count());
  inputs.matrix = reader.numbers();
  inputs.rhs = reader.numbers();
  const std::vector<double> bounds = reader.numbers();
  for (std::size_t j = 0; j + 1 < bounds.size(); j += 2) {
    inputs.intervalRhs.push_back(ValueBounds{bounds[j], bounds[j + 1]});
  }
  for (std::vector<double>& numbers : inputs.parameters) {
    numbers = reader.numbers();
  }
  const std::vector<double> estimate = reader.numbers();
  if (estimate.size() > 1) throw std::runtime_error(kCutShort);
  if (!estimate.empty()) inputs.conditionEstimate = estimate.front();
  inputs.families = std::bitset<kFamilyCount>(reader.count());
  inputs.correlation = reader.numbers();
  const std::vector<double> ends = reader.numbers();
  for (std::size_t k = 0; k + 1 < ends.size(); k += 2) {
    inputs.intervalMatrix.push_back(ValueBounds{ends[k], ends[k + 1]});
  }
  for (std::vector<double>& matrix : inputs.randomMatrix) {
    matrix = reader.numbers();
  }
  reader.finish();
  return inputs;
}

SystemInputs broadcastSystemInputs(const RunConfig& config, int system,
                               ProcessGroup& group, std::string bytes) {
  group.broadcast(bytes);
  SystemInputs inputs = systemInputsFromBytes(bytes);
  inputs.system = system;
  addCells(config, inputs);
  return inputs;
}

}  // namespace linprob
