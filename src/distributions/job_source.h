// The jobs of one distribution phase, reproducible: the same jobs, with the
// same values and probabilities in the same order, can be produced twice
// (once to find each unknown's smallest and largest solution, once to count
// each job into its band), without ever holding them all in memory.
//
// Enumeration: every combination of one cell per entry. The combinations are
// split by the cell index of entry 0 into prefixes; within a prefix, job j is
// the j-th combination in lexicographic order (entry n-1 fastest). A job's
// probability is the product of its cells' probabilities multiplied in entry
// order from 1.0; its right-hand side is the cells' values.
//
// Sampling: sampleCount right-hand sides in blocks of kBlockJobs, each of
// weight 1 / sampleCount computed in float; block b is drawn from streams of
// its own derived from `seed` and b (SampleBlocks), so any thread draws any
// block and the same seed gives the same samples.
//
// Both split their units (prefixes, sample blocks) into the chunks of a
// ChunkPlan.
#ifndef LINPROB_DISTRIBUTIONS_JOB_SOURCE_H_
#define LINPROB_DISTRIBUTIONS_JOB_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "distributions/family.h"
#include "distributions/job_block.h"
#include "distributions/job_chunk.h"
#include "distributions/sample_rectangle.h"

namespace linprob {

struct EnumerationJobs {
  unsigned n = 0;
  RectangleTable cells;  // [cell][entry]

  std::size_t prefixCount() const;       // cells.size(), 0 when n == 0
  std::uint64_t jobsPerPrefix() const;   // cellCount^(n-1)
  std::uint64_t jobCount() const;        // cellCount^n
  // Chunks of consecutive prefixes.
  ChunkPlan chunkPlan() const;
  std::uint64_t chunkJobs(std::size_t chunk) const;
  // Fills block jobs 0 ... count-1 with jobs first ... first+count-1 of
  // `prefix`, sets block.count = count. count <= kBlockJobs. Builds an
  // EnumerationFill on every call: a phase builds one and fills from it.
  void fill(std::size_t prefix, std::uint64_t first, std::size_t count,
            JobBlock& block) const;
};

// The cells of an EnumerationJobs by entry (each entry's values and
// probabilities in arrays of their own), so that the varying last entry of a
// block is copied and multiplied in vector loops. Built once per phase; fill
// is const, allocates nothing and may run on any number of threads at once.
// Fills exactly what EnumerationJobs::fill describes, bit for bit.
class EnumerationFill {
 public:
  explicit EnumerationFill(const EnumerationJobs& jobs);

  void fill(std::size_t prefix, std::uint64_t first, std::size_t count,
            JobBlock& block) const;

 private:
  double value(std::size_t cell, unsigned entry) const {
    return values_[entry * cellCount_ + cell];
  }
  double probability(std::size_t cell, unsigned entry) const {
    return probabilities_[entry * cellCount_ + cell];
  }

  unsigned n_;
  std::size_t cellCount_;
  std::vector<double> values_;         // [entry * cellCount + cell]
  std::vector<double> probabilities_;  // [entry * cellCount + cell]
};

struct SamplingJobs {
  unsigned n = 0;
  Family family = Family::kNormal;
  std::vector<double> first;   // Mean or Lower
  std::vector<double> second;  // Variance or Upper
  int sampleCount = 0;
  std::uint64_t seed = 0;

  // Blocks of kBlockJobs samples, the last one shorter when needed.
  std::uint64_t blockCount() const;
  std::size_t blockJobs(std::uint64_t block) const;
  // Chunks of consecutive blocks.
  ChunkPlan chunkPlan() const;
  std::uint64_t chunkJobs(std::size_t chunk) const;
};

struct PhaseJobs {
  bool enumerate = true;
  EnumerationJobs enumeration;
  SamplingJobs sampling;
};

// 1 / sampleCount evaluated in float, widened to double.
double sampleWeight(int sampleCount);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_JOB_SOURCE_H_
