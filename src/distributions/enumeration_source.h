// EnumerationSource: the jobs of an enumeration phase, every combination of
// one cell per entry.
//
// The combinations are split by the cell index of entry 0 into prefixes;
// within a prefix, job j is the j-th combination in lexicographic order
// (entry n-1 fastest). A job's probability is the product of its cells'
// probabilities multiplied in entry order from 1.0; its right-hand side is
// the cells' values. The prefixes are the units of the chunk plan, and the
// phase's producers are the generator threads (generator_threads.h).
#ifndef LINPROB_DISTRIBUTIONS_ENUMERATION_SOURCE_H_
#define LINPROB_DISTRIBUTIONS_ENUMERATION_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "distributions/job_source.h"
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
};

// The cells of an EnumerationJobs by entry (each entry's values and
// probabilities in arrays of their own), so that the varying last entry of a
// block is copied and multiplied in vector loops. Built once per phase; fill
// is const, allocates nothing and may run on any number of threads at once.
class EnumerationFill {
 public:
  explicit EnumerationFill(const EnumerationJobs& jobs);

  // Fills block jobs 0 ... count-1 with jobs first ... first+count-1 of
  // `prefix`, sets block.count = count. count <= kBlockJobs.
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

class EnumerationSource final : public JobSource {
 public:
  explicit EnumerationSource(EnumerationJobs jobs);
  // request.count cells per entry of the family's discretisation.
  static std::unique_ptr<JobSource> make(const SourceRequest& request);

  // For the kind's row (job_source_kinds.h): the jobs of a phase of n
  // entries with `cells` per entry (saturating), its prefixes (the units of
  // its chunk plan) and how --check describes them.
  static std::uint64_t jobsFor(unsigned n, int cells);
  static std::uint64_t unitsFor(unsigned n, int cells);
  static std::string describeJobs(unsigned n, int cells);

  unsigned size() const override { return jobs_.n; }
  std::uint64_t jobCount() const override { return jobs_.jobCount(); }
  ChunkPlan chunkPlan() const override { return jobs_.chunkPlan(); }
  std::uint64_t chunkJobs(std::size_t chunk) const override {
    return jobs_.chunkJobs(chunk);
  }
  std::uint64_t chunkBlocks(std::size_t chunk) const override;
  void fill(std::size_t chunk, std::uint64_t k, JobBlock& block) const override;
  // The generator threads, with their lines.
  void produce(ChunkQueue& queue, int generatorThreads, std::stop_token stop,
               ChunkShare share) const override;
  FamilyBox box() const override;
  const EnumerationJobs* cells() const override { return &jobs_; }

 private:
  std::uint64_t blocksPerPrefix() const;

  EnumerationJobs jobs_;
  EnumerationFill fill_;
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_ENUMERATION_SOURCE_H_
