// RandomPoints: the points of a random design, independent pseudo-random
// samples drawn by SampleBlocks. A random design is one replicate (its
// row's Replicates::kOne), whose units are SampleBlocks' blocks.
#ifndef LINPROB_DISTRIBUTIONS_RANDOM_POINTS_H_
#define LINPROB_DISTRIBUTIONS_RANDOM_POINTS_H_

#include <cstddef>
#include <cstdint>

#include "distributions/point_generator.h"
#include "distributions/sample_blocks.h"

namespace linprob {

class RandomPoints final : public PointGenerator {
 public:
  // Draws as `family` says (SampleBlocks).
  RandomPoints(SamplingJobs jobs, const FamilyInfo& family);

  std::size_t fill(std::uint64_t unit, JobBlock& out) const override {
    return blocks_.fill(unit, out);
  }

 private:
  SamplingJobs jobs_;
  SampleBlocks blocks_;  // reads jobs_
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_RANDOM_POINTS_H_
