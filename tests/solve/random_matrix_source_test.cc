#include "solve/random_matrix_source.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <vector>

#include "distributions/family_box.h"
#include "distributions/job_block.h"
#include "linear/pivot_mode.h"

namespace linprob {
namespace {

// One block of given 2 x 2 systems (b's entries, then A's row by row), each
// job of its own probability.
class GivenSystems final : public JobSource {
 public:
  GivenSystems(std::vector<std::vector<double>> jobs,
               std::vector<double> probabilities)
      : jobs_(std::move(jobs)), probabilities_(std::move(probabilities)) {}
  unsigned size() const override { return 6; }
  std::uint64_t jobCount() const override { return jobs_.size(); }
  ChunkPlan chunkPlan() const override { return ChunkPlan{1, 1}; }
  std::uint64_t chunkJobs(std::size_t) const override { return jobs_.size(); }
  std::uint64_t chunkBlocks(std::size_t) const override { return 1; }
  void fill(std::size_t, std::uint64_t, JobBlock& block) const override {
    for (std::size_t j = 0; j < jobs_.size(); ++j) {
      for (unsigned e = 0; e < 6; ++e) block.entry(e)[j] = jobs_[j][e];
      block.probabilities[j] = probabilities_[j];
    }
    block.count = jobs_.size();
  }
  FamilyBox box() const override { return FamilyBox{}; }

 private:
  std::vector<std::vector<double>> jobs_;
  std::vector<double> probabilities_;
};

// Under column pivoting the mean matrix [[1, 2], [3, 1]] takes column 1
// first (unknown 1 at position 0). A job of the same pivots, a singular one
// and one whose larger entry sits in column 0: the singular one is left
// out (the block holds the other two, by the mean's positions), and the
// tallies count it and the changed pivots, with their probabilities.
TEST(RandomMatrixSourceTest, LeavesRefusedJobsOutAndKeepsTheMeansPositions) {
  const std::vector<std::vector<double>> jobs = {
      {3, 4, 1, 2, 3, 1},   // x = (1, 1)
      {1, 1, 1, 1, 1, 1},   // singular
      {5, 5, 3, 1, 1, 2},   // x = (1, 2), pivot in column 0
  };
  MeanPivots mean;
  mean.rows = {0, 1};
  mean.columns = {1, 1};
  mean.positionOf = {1, 0};
  RandomMatrixSource source(
      std::make_unique<GivenSystems>(jobs, std::vector<double>{0.5, 0.25, 0.25}),
      2, kPivotModes[2], 1e15, mean);
  JobBlock block(2);
  block.values.assign(block.values.size(), 9.0);  // an earlier fill's
  source.fill(0, 0, block);
  ASSERT_EQ(block.count, 2u);
  // Position 0 holds unknown 1, position 1 unknown 0.
  EXPECT_DOUBLE_EQ(block.entry(0)[0], 1.0);
  EXPECT_DOUBLE_EQ(block.entry(1)[0], 1.0);
  EXPECT_DOUBLE_EQ(block.entry(0)[1], 2.0);
  EXPECT_DOUBLE_EQ(block.entry(1)[1], 1.0);
  EXPECT_EQ(block.probabilities[1], 0.25);
  EXPECT_EQ(block.entry(0)[2], 0.0);  // lanes past the count are zero
  const SampleTallies tallies = source.tallies();
  EXPECT_EQ(tallies.refused, 1u);
  EXPECT_EQ(tallies.pivotChanges, 1u);
  // A quarter each, in fixed point (2^62 the whole).
  EXPECT_EQ(tallies.refusedMass, std::uint64_t{1} << 60);
  EXPECT_EQ(tallies.pivotChangeMass, std::uint64_t{1} << 60);
  // Filling the block again notes the same.
  source.fill(0, 0, block);
  EXPECT_EQ(source.tallies().refused, 1u);
}

}  // namespace
}  // namespace linprob
