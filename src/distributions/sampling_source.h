// SamplingSource: the jobs of a sampling phase, the points of one design
// (PointDesign) filled by the generator of its kind (PointGenerator): the
// design's units are the units of its chunk plan, whose chunks nest in its
// replicates, and its batches those of the phase's standard errors. Every
// job weighs design.jobWeight(). Any thread fills any block, the same seed
// gives the same points, and the chunks are pushed from the calling thread,
// silently.
#ifndef LINPROB_DISTRIBUTIONS_SAMPLING_SOURCE_H_
#define LINPROB_DISTRIBUTIONS_SAMPLING_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "distributions/job_source.h"
#include "distributions/point_design.h"
#include "distributions/point_generator.h"

namespace linprob {

class SamplingSource final : public JobSource {
 public:
  // The points of `design` for request's family, parameters and seed.
  SamplingSource(const SourceRequest& request, const PointDesign& design,
                 std::unique_ptr<PointGenerator> points);

  unsigned size() const override { return n_; }
  std::uint64_t jobCount() const override { return design_.jobCount(); }
  ChunkPlan chunkPlan() const override { return plan_; }
  std::uint64_t chunkJobs(std::size_t chunk) const override {
    return design_.chunkJobs(chunk);
  }
  std::uint64_t chunkBlocks(std::size_t chunk) const override;
  void fill(std::size_t chunk, std::uint64_t k, JobBlock& block) const override;
  FamilyBox box() const override;
  std::optional<std::uint64_t> seed() const override { return seed_; }
  std::optional<double> jobWeight() const override {
    return design_.jobWeight();
  }
  std::size_t batchCount() const override { return design_.batchCount(); }
  std::size_t batchOf(std::size_t chunk, std::uint64_t k) const override;
  std::uint64_t batchJobs(std::size_t batch) const override {
    return design_.batchJobs(batch);
  }

  const PointDesign& design() const { return design_; }

 private:
  unsigned n_;
  const FamilyInfo* family_;
  EntryParameters entries_;
  std::uint64_t seed_;
  PointDesign design_;
  ChunkPlan plan_;
  std::unique_ptr<PointGenerator> points_;
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_SAMPLING_SOURCE_H_
