#include "distributions/job_source_kinds.h"

#include <cstddef>
#include <limits>

#include "distributions/enumeration_source.h"
#include "distributions/point_source.h"

namespace linprob {
namespace {

std::uint64_t combinations(unsigned n, int cells) {
  return cells > 0 ? saturatedPower(static_cast<std::uint64_t>(cells), n) : 0;
}

std::uint64_t samples(unsigned /*n*/, int count) {
  return count > 0 ? static_cast<std::uint64_t>(count) : 0;
}

std::uint64_t prefixes(unsigned /*n*/, int cells) {
  return cells > 0 ? static_cast<std::uint64_t>(cells) : 0;
}

std::uint64_t sampleBlocks(unsigned /*n*/, int count) {
  return (samples(0, count) + kBlockJobs - 1) / kBlockJobs;
}

std::string everyCombination(unsigned n, int cells) {
  return " (every combination of " + std::to_string(cells) +
         " cells for each of " + std::to_string(n) + " entries)";
}

std::string randomSamples(unsigned /*n*/, int /*count*/) {
  return " (random samples)";
}

// Indexed by JobSourceKind.
constexpr std::array<JobSourceRow, 2> kJobSourceRows = {{
    {JobSourceKind::kEnumeration, "enumeration",
     ProducerThreads::kGeneratorThreads, everyCombination,
     "the cells are not finite", combinations, prefixes,
     EnumerationSource::make},
    {JobSourceKind::kSampling, "sampling", ProducerThreads::kCallingThread,
     randomSamples, "the sampling range is not finite", samples, sampleBlocks,
     makeSamplingSource},
}};

constexpr bool rowsInKindOrder() {
  for (std::size_t k = 0; k < kJobSourceRows.size(); ++k) {
    if (static_cast<std::size_t>(kJobSourceRows[k].kind) != k) return false;
  }
  return true;
}
static_assert(rowsInKindOrder(), "kJobSourceRows is indexed by JobSourceKind");

}  // namespace

const JobSourceRow& jobSourceRow(JobSourceKind kind) {
  return kJobSourceRows[static_cast<std::size_t>(kind)];
}

std::unique_ptr<JobSource> makeJobSource(JobSourceKind kind,
                                         const SourceRequest& request) {
  return jobSourceRow(kind).make(request);
}

std::uint64_t saturatedPower(std::uint64_t base, unsigned exponent) {
  std::uint64_t power = 1;
  for (unsigned k = 0; k < exponent; ++k) {
    if (__builtin_mul_overflow(power, base, &power)) {
      return std::numeric_limits<std::uint64_t>::max();
    }
    if (power == 0) return 0;
  }
  return power;
}

}  // namespace linprob
