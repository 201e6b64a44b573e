#include "distributions/point_blocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace linprob {
namespace {

// Every job of a design, [entry][replicate * N + job], filling the units
// backwards; checks the weights and the zeroed lanes on the way.
std::vector<std::vector<double>> fillAll(const PointBlocks& blocks,
                                         unsigned n) {
  const PointDesign& d = blocks.design();
  std::vector<std::vector<double>> values(n, std::vector<double>(d.jobCount()));
  JobBlock block(n);
  for (std::uint64_t u = d.blockCount(); u-- > 0;) {
    const std::size_t count = blocks.fill(u, block);
    EXPECT_EQ(count, d.blockJobs(u));
    EXPECT_EQ(block.probabilities[0], d.jobWeight());
    EXPECT_EQ(block.probabilities[kBlockJobs - 1],
              count == kBlockJobs ? d.jobWeight() : 0.0);
    const std::uint64_t at = d.replicateOf(u) * d.replicateJobs + d.firstJobOf(u);
    for (unsigned e = 0; e < n; ++e) {
      std::copy(block.entry(e), block.entry(e) + count, values[e].begin() + at);
      EXPECT_EQ(block.entry(e)[kBlockJobs - 1],
                count == kBlockJobs ? block.entry(e)[count - 1] : 0.0);
    }
  }
  return values;
}

TEST(PointBlocks, FillsReplicatesThroughTheInverseDistributions) {
  // Two replicates of 2048 sobol points; the uniform entry on [0, 1]
  // shows the points themselves, the triangular one their quantiles.
  const PointDesign design{PointSet::kSobol, 2, 2048};
  const PointBlocks blocks(familyInfo(Family::kUniform), {0.0, -1.0}, {1.0, 1.0}, 42,
                           design);
  const std::vector<std::vector<double>> values = fillAll(blocks, 2);
  const SobolPoints points(2, 11, 42);
  std::vector<double> expected(2048);
  for (unsigned r = 0; r < 2; ++r) {
    points.fill(r, 0, 0, expected.size(), expected.data());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      ASSERT_EQ(values[0][r * 2048 + i], expected[i]);
    }
    points.fill(r, 1, 0, expected.size(), expected.data());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      ASSERT_EQ(values[1][r * 2048 + i],
                uniformQuantile(-1.0, 1.0, expected[i]));
    }
  }
}

TEST(PointBlocks, RejectsDesignsItCannotFill) {
  const auto message = [](const PointDesign& design) {
    try {
      PointBlocks blocks(familyInfo(Family::kNormal), {0.0}, {1.0}, 1, design);
    } catch (const std::invalid_argument& error) {
      return std::string(error.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(message(PointDesign{PointSet::kRandom, 1, 100}),
            "point blocks: random points are drawn by SampleBlocks");
  EXPECT_EQ(message(PointDesign{PointSet::kSobol, 16, 3000}),
            "point blocks: 3000 sobol points per replicate is not a power of "
            "two");
}

}  // namespace
}  // namespace linprob
