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
// Sampling: sampleCount right-hand sides drawn sample by sample, entry by
// entry, from one std::mt19937 seeded with the 64-bit `seed` (through a
// std::seed_seq of its low and its high 32 bits), each of weight
// 1 / sampleCount computed in float. A SampleStream started again from the
// same seed draws the same samples.
#ifndef LINPROB_DISTRIBUTIONS_JOB_SOURCE_H_
#define LINPROB_DISTRIBUTIONS_JOB_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include "distributions/family.h"
#include "distributions/job_block.h"
#include "distributions/sample_rectangle.h"

namespace linprob {

struct EnumerationJobs {
  unsigned n = 0;
  RectangleTable cells;  // [cell][entry]

  std::size_t prefixCount() const;       // cells.size(), 0 when n == 0
  std::uint64_t jobsPerPrefix() const;   // cellCount^(n-1)
  std::uint64_t jobCount() const;        // cellCount^n
  // Fills block jobs 0 ... count-1 with jobs first ... first+count-1 of
  // `prefix`, sets block.count = count. count <= kBlockJobs.
  void fill(std::size_t prefix, std::uint64_t first, std::size_t count,
            JobBlock& block) const;
};

struct SamplingJobs {
  unsigned n = 0;
  Family family = Family::kNormal;
  std::vector<double> first;   // Mean or Lower
  std::vector<double> second;  // Variance or Upper
  int sampleCount = 0;
  std::uint64_t seed = 0;
};

// Draws the samples of a SamplingJobs in order. Degenerate entries (variance
// 0, equal ends) are the constant and take no draw.
class SampleStream {
 public:
  explicit SampleStream(const SamplingJobs& jobs);
  ~SampleStream();
  SampleStream(const SampleStream&) = delete;
  SampleStream& operator=(const SampleStream&) = delete;

  // Fills the next min(kBlockJobs, left) samples; returns how many (0 when
  // every sample was drawn) and sets block.count.
  std::size_t fill(JobBlock& block);

 private:
  struct Draws;
  const SamplingJobs& jobs_;
  std::unique_ptr<Draws> draws_;
  int drawn_ = 0;
  double weight_;
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
