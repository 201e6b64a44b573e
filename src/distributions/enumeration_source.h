// EnumerationSource: the jobs of an enumeration phase, every combination of
// one cell per entry, in the order of EnumerationJobs. A job's probability
// is the product of its cells' probabilities multiplied in entry order from
// 1.0; its right-hand side is the cells' values. The prefixes are the units of the chunk plan, and the
// phase's producers are the generator threads (generator_threads.h).
#ifndef LINPROB_DISTRIBUTIONS_ENUMERATION_SOURCE_H_
#define LINPROB_DISTRIBUTIONS_ENUMERATION_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "distributions/enumeration_jobs.h"
#include "distributions/job_source.h"

namespace linprob {

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
  // makeEnumerationSource (point_kinds.h) makes one of request.count cells
  // per entry of the family's discretisation.
  explicit EnumerationSource(EnumerationJobs jobs);

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
