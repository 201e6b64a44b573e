// EnumerationJobs: the jobs of an enumeration phase, every combination of
// one cell per entry, and how many a phase of n entries with a given number
// of cells has.
//
// The combinations are split by the cell index of entry 0 into prefixes;
// within a prefix, job j is the j-th combination in lexicographic order
// (entry n-1 fastest). The prefixes are the units of the chunk plan. Job
// counts saturate at 2^64 - 1 instead of wrapping.
#ifndef LINPROB_DISTRIBUTIONS_ENUMERATION_JOBS_H_
#define LINPROB_DISTRIBUTIONS_ENUMERATION_JOBS_H_

#include <cstddef>
#include <cstdint>

#include "distributions/job_chunk.h"
#include "distributions/sample_rectangle.h"

namespace linprob {

// cells^n: 0 for no cells, 1 for no entries, 2^64 - 1 when beyond 64 bits.
std::uint64_t combinationsOf(std::uint64_t cells, unsigned n);

struct EnumerationJobs {
  unsigned n = 0;
  RectangleTable cells;  // [cell][entry]

  std::size_t prefixCount() const;       // cells.size(), 0 when n == 0
  std::uint64_t jobsPerPrefix() const;   // cellCount^(n-1)
  std::uint64_t jobCount() const;        // cellCount^n
  // Chunks of consecutive prefixes.
  ChunkPlan chunkPlan() const;
  std::uint64_t chunkJobs(std::size_t chunk) const;
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_ENUMERATION_JOBS_H_
