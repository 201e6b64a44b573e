// SamplingSource: the jobs of a sampling phase, sampleCount independent
// pseudo-random right-hand sides in blocks of kBlockJobs, each of weight
// 1 / sampleCount computed in float. Block b is drawn from streams of its
// own derived from the phase's seed and b (SampleBlocks), so any thread
// draws any block and the same seed gives the same samples. The blocks are
// the units of the chunk plan; the chunks are pushed from the calling
// thread, silently. The blocks fall into the batches of a random
// PointDesign.
#ifndef LINPROB_DISTRIBUTIONS_SAMPLING_SOURCE_H_
#define LINPROB_DISTRIBUTIONS_SAMPLING_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "distributions/job_source.h"
#include "distributions/point_design.h"
#include "distributions/sample_blocks.h"

namespace linprob {

class SamplingSource final : public JobSource {
 public:
  explicit SamplingSource(SamplingJobs jobs);
  // request.count samples of the family drawn from request.seed.
  static std::unique_ptr<JobSource> make(const SourceRequest& request);

  // For the kind's row (job_source_kinds.h): the jobs of a phase of
  // `count` samples, its blocks (the units of its chunk plan) and how
  // --check describes them.
  static std::uint64_t jobsFor(unsigned n, int count);
  static std::uint64_t unitsFor(unsigned n, int count);
  static std::string describeJobs(unsigned n, int count);

  unsigned size() const override { return jobs_.n; }
  std::uint64_t jobCount() const override;
  ChunkPlan chunkPlan() const override { return jobs_.chunkPlan(); }
  std::uint64_t chunkJobs(std::size_t chunk) const override {
    return jobs_.chunkJobs(chunk);
  }
  std::uint64_t chunkBlocks(std::size_t chunk) const override;
  void fill(std::size_t chunk, std::uint64_t k, JobBlock& block) const override;
  FamilyBox box() const override;
  std::optional<std::uint64_t> seed() const override { return jobs_.seed; }
  std::optional<double> jobWeight() const override {
    return sampleWeight(jobs_.sampleCount);
  }
  std::size_t batchCount() const override { return design_.batchCount(); }
  std::size_t batchOf(std::size_t chunk, std::uint64_t k) const override;
  std::uint64_t batchJobs(std::size_t batch) const override {
    return design_.batchJobs(batch);
  }

  const SamplingJobs& jobs() const { return jobs_; }

 private:
  SamplingJobs jobs_;
  SampleBlocks blocks_;
  PointDesign design_;  // random points: the batches of the blocks
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_SAMPLING_SOURCE_H_
