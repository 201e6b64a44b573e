#include "driver/system_inputs.h"

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "base/number_file.h"
#include "distributions/enumeration_source.h"
#include "distributions/job_source_kinds.h"
#include "driver/phase_settings.h"

namespace linprob {
namespace {

std::vector<double> numbersOf(const std::string& path, std::size_t count,
                              const std::stop_token& stop = {}) {
  auto file = readNumbers(path, count, stop);
  if (!file.ok()) {
    throw std::runtime_error(path + ": " + file.status().message());
  }
  return std::move(file).value();
}

}  // namespace

SystemInputs readSystemInputs(const RunSettings& settings, int system,
                              const std::stop_token& stop) {
  const std::string folder = "Matrix" + std::to_string(system) + "/";
  const unsigned n = settings.Dimensions;
  const std::size_t size = n;
  SystemInputs inputs;
  inputs.system = system;
  inputs.n = n;
  inputs.matrix = numbersOf(folder + "Matice.txt", size * size, stop);
  inputs.rhs = numbersOf(folder + "RealRHS.txt", size);
  const std::vector<double> bounds = numbersOf(folder + "IntRHS.txt", 2 * size);
  for (std::size_t j = 0; j < size; ++j) {
    inputs.intervalRhs.push_back(ValueBounds{bounds[2 * j], bounds[2 * j + 1]});
  }
  if (n > kMaxCertifiedSize) return inputs;

  for (const FamilyInfo& family : kFamilies) {
    const std::string path = folder + family.parameterFile;
    std::vector<double>& pairs = family.parameterKind == ParameterKind::kNormal
                                     ? inputs.normalPairs
                                     : inputs.boundsPairs;
    if (pairs.empty()) pairs = numbersOf(path, 2 * size);
    // The cells exactly as the phase builds them.
    PhaseSpec spec;
    spec.family = &family;
    spec.n = n;
    spec.pairs = splitPairs(pairs, n);
    spec.count = phaseCountFor(settings);
    const std::unique_ptr<JobSource> source =
        makeJobSource(sourceKindFor(settings), spec);
    if (const EnumerationJobs* cells = source->cells()) {
      inputs.cells[static_cast<std::size_t>(family.family)] = cells->cells;
    }
  }
  return inputs;
}

}  // namespace linprob
