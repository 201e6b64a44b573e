#include "driver/system_inputs.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "distributions/enumeration_source.h"
#include "distributions/point_kinds.h"
#include "driver/phase_settings.h"

namespace linprob {
namespace {

// The bytes: n, then each list as its count and its numbers, in the
// machine's own representation (the processes of a run share a machine
// type); last the check's condition estimate as a list of none or one.
void putCount(std::string& bytes, std::uint64_t count) {
  bytes.append(reinterpret_cast<const char*>(&count), sizeof count);
}

void putNumbers(std::string& bytes, const double* numbers, std::size_t count) {
  putCount(bytes, count);
  if (count == 0) return;
  bytes.append(reinterpret_cast<const char*>(numbers), count * sizeof(double));
}

std::string inputBytes(unsigned n, const std::vector<double>& matrix,
                       const std::vector<double>& rhs,
                       const std::vector<ValueBounds>& intervalRhs,
                       const std::vector<double>& normalPairs,
                       const std::vector<double>& boundsPairs,
                       const std::optional<double>& conditionEstimate) {
  static_assert(sizeof(ValueBounds) == 2 * sizeof(double));
  std::string bytes;
  putCount(bytes, n);
  putNumbers(bytes, matrix.data(), matrix.size());
  putNumbers(bytes, rhs.data(), rhs.size());
  putNumbers(bytes, reinterpret_cast<const double*>(intervalRhs.data()),
             2 * intervalRhs.size());
  putNumbers(bytes, normalPairs.data(), normalPairs.size());
  putNumbers(bytes, boundsPairs.data(), boundsPairs.size());
  putNumbers(bytes, conditionEstimate ? &*conditionEstimate : nullptr,
             conditionEstimate ? 1 : 0);
  return bytes;
}

struct ByteReader {
  const std::string& bytes;
  std::size_t at = 0;

  void take(void* into, std::size_t size) {
    if (bytes.size() - at < size) {
      throw std::runtime_error("system inputs: cut short");
    }
    std::memcpy(into, bytes.data() + at, size);
    at += size;
  }
  std::uint64_t count() {
    std::uint64_t value = 0;
    take(&value, sizeof value);
    return value;
  }
  std::vector<double> numbers() {
    const std::uint64_t size = count();
    if (size > (bytes.size() - at) / sizeof(double)) {
      throw std::runtime_error("system inputs: cut short");
    }
    std::vector<double> values(size);
    if (size > 0) take(values.data(), size * sizeof(double));
    return values;
  }
};

}  // namespace

void addCells(const RunSettings& settings, SystemInputs& inputs) {
  // Only enumeration has cells; sampled points are not made here.
  if (inputs.n > kMaxCertifiedSize || drawsSamples(pointKindFor(settings))) {
    return;
  }
  for (const FamilyInfo& family : kFamilies) {
    SourceRequest request = requestFor(
        settings, family,
        splitPairs(inputs.pairsOf(family.parameterKind), inputs.n));
    request.n = inputs.n;
    const std::unique_ptr<JobSource> source = makeJobSource(request);
    if (const EnumerationJobs* cells = source->cells()) {
      inputs.cells[static_cast<std::size_t>(family.family)] = cells->cells;
    }
  }
}

std::string toBytes(const SystemInputs& inputs) {
  return inputBytes(inputs.n, inputs.matrix, inputs.rhs, inputs.intervalRhs,
                    inputs.normalPairs, inputs.boundsPairs,
                    inputs.conditionEstimate);
}

std::string toBytes(const SystemReference& reference) {
  return inputBytes(reference.n, reference.matrix, reference.rhs,
                    reference.intervalRhs, reference.normalPairs,
                    reference.boundsPairs, reference.conditionEstimate);
}

SystemInputs systemInputsFromBytes(const std::string& bytes) {
  ByteReader reader{bytes};
  SystemInputs inputs;
  inputs.n = static_cast<unsigned>(reader.count());
  inputs.matrix = reader.numbers();
  inputs.rhs = reader.numbers();
  const std::vector<double> bounds = reader.numbers();
  for (std::size_t j = 0; j + 1 < bounds.size(); j += 2) {
    inputs.intervalRhs.push_back(ValueBounds{bounds[j], bounds[j + 1]});
  }
  inputs.normalPairs = reader.numbers();
  inputs.boundsPairs = reader.numbers();
  const std::vector<double> estimate = reader.numbers();
  if (estimate.size() > 1) {
    throw std::runtime_error("system inputs: cut short");
  }
  if (!estimate.empty()) inputs.conditionEstimate = estimate.front();
  if (reader.at != bytes.size()) {
    throw std::runtime_error("system inputs: cut short");
  }
  return inputs;
}

SystemInputs shareSystemInputs(const RunSettings& settings, int system,
                               ProcessGroup& group, std::string bytes) {
  group.broadcast(bytes);
  SystemInputs inputs = systemInputsFromBytes(bytes);
  inputs.system = system;
  addCells(settings, inputs);
  return inputs;
}

}  // namespace linprob
