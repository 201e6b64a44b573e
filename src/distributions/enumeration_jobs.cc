#include "distributions/enumeration_jobs.h"

#include <limits>

#include "distributions/point_kinds.h"

namespace linprob {
namespace {

// The jobs of `cells` cells for each of n entries, in chunks of prefixes.
PhaseJobs enumerationPhase(std::uint64_t cells, unsigned n) {
  if (cells == 0 || n == 0) return PhaseJobs{0, ChunkPlan::of(0, 0)};
  const std::uint64_t jobs = combinationsOf(cells, n);
  return PhaseJobs{jobs, ChunkPlan::of(cells, jobs)};
}

}  // namespace

std::uint64_t combinationsOf(std::uint64_t cells, unsigned n) {
  std::uint64_t power = 1;
  for (unsigned k = 0; k < n; ++k) {
    if (__builtin_mul_overflow(power, cells, &power)) {
      return std::numeric_limits<std::uint64_t>::max();
    }
  }
  return power;
}

std::size_t EnumerationJobs::prefixCount() const {
  return n == 0 ? 0 : cells.size();
}

std::uint64_t EnumerationJobs::jobsPerPrefix() const {
  return n == 0 ? 0 : combinationsOf(cells.size(), n - 1);
}

std::uint64_t EnumerationJobs::jobCount() const {
  return enumerationPhase(cells.size(), n).jobs;
}

ChunkPlan EnumerationJobs::chunkPlan() const {
  return enumerationPhase(cells.size(), n).plan;
}

std::uint64_t EnumerationJobs::chunkJobs(std::size_t chunk) const {
  const UnitRange prefixes = chunkPlan().range(chunk);
  return (prefixes.end - prefixes.first) * jobsPerPrefix();
}

PhaseJobs enumerationPhaseJobs(PointKind /*kind*/, unsigned n, int cells) {
  return enumerationPhase(cells > 0 ? static_cast<std::uint64_t>(cells) : 0, n);
}

}  // namespace linprob
