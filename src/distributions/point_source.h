// PointSource: the jobs of a sampling phase drawn as Sobol' points or Latin
// hypercube samples (PointDesign, PointBlocks): `replicates` independent
// scrambles or designs of N points each, every one of weight 1 / (R * N)
// computed in float. The design's blocks are the units of its chunk plan,
// whose chunks nest in the replicates, and each replicate is a batch of the
// phase's standard errors. Any thread fills any block, the same seed gives
// the same points, and the chunks are pushed from the calling thread,
// silently.
#ifndef LINPROB_DISTRIBUTIONS_POINT_SOURCE_H_
#define LINPROB_DISTRIBUTIONS_POINT_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "distributions/job_source.h"
#include "distributions/point_blocks.h"
#include "distributions/point_design.h"

namespace linprob {

class PointSource final : public JobSource {
 public:
  // Throws what PointBlocks throws (a random design among them).
  PointSource(const SourceRequest& request, const PointDesign& design);

  unsigned size() const override { return n_; }
  std::uint64_t jobCount() const override { return design_.jobCount(); }
  ChunkPlan chunkPlan() const override { return design_.chunkPlan(); }
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

 private:
  unsigned n_;
  const FamilyInfo* family_;
  EntryParameters entries_;
  std::uint64_t seed_;
  PointDesign design_;
  PointBlocks blocks_;
};

// The source of a sampling phase: request.count samples of request.points
// (PointDesign's pointDesign; random ones are SamplingSource's).
std::unique_ptr<JobSource> makeSamplingSource(const SourceRequest& request);
// The source of one design (a --digits round): a random design of R
// replicates is R * N random samples, whose blocks then fall into R batches
// of N when N is a multiple of kBlockJobs.
std::unique_ptr<JobSource> makeDesignSource(const SourceRequest& request,
                                            const PointDesign& design);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_POINT_SOURCE_H_
