#include "distributions/point_blocks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace linprob {
namespace {

// Every job of a design, [entry][job in the design's order], filling the
// units backwards; checks the weights and the zeroed lanes on the way.
std::vector<std::vector<double>> fillAll(const PointBlocks& blocks,
                                         unsigned n) {
  const PointDesign& design = blocks.design();
  std::vector<std::vector<double>> values(n);
  std::vector<std::vector<std::vector<double>>> byUnit(design.blockCount());
  JobBlock block(n);
  for (std::uint64_t u = design.blockCount(); u-- > 0;) {
    const std::size_t count = blocks.fill(u, block);
    EXPECT_EQ(count, design.blockJobs(u));
    EXPECT_EQ(block.count, count);
    for (std::size_t s = 0; s < kBlockJobs; ++s) {
      EXPECT_EQ(block.probabilities[s], s < count ? design.jobWeight() : 0.0);
    }
    byUnit[u].resize(n);
    for (unsigned e = 0; e < n; ++e) {
      byUnit[u][e].assign(block.entry(e), block.entry(e) + count);
      EXPECT_EQ(block.entry(e)[kBlockJobs - 1], count == kBlockJobs
                                                    ? block.entry(e)[count - 1]
                                                    : 0.0);
    }
  }
  for (const auto& unit : byUnit) {
    for (unsigned e = 0; e < n; ++e) {
      values[e].insert(values[e].end(), unit[e].begin(), unit[e].end());
    }
  }
  return values;
}

TEST(PointBlocks, FillsReplicatesThroughTheInverseDistributions) {
  // Two replicates of 2048 sobol points; the uniform entry on [0, 1]
  // shows the points themselves, the triangular one their quantiles.
  const PointDesign design{PointSet::kSobol, 2, 2048};
  const PointBlocks blocks(Family::kUniform, {0.0, -1.0}, {1.0, 1.0}, 42,
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

TEST(PointBlocks, HypercubeMeansAreNearlyExact) {
  // 3000 stratified normal draws per replicate (the last block short): the
  // mean of N(5, 9) comes out within a small fraction of its 0.055 random
  // error.
  const PointDesign design{PointSet::kLatinHypercube, 3, 3000};
  const PointBlocks blocks(Family::kNormal, {5.0}, {9.0}, 8, design);
  const std::vector<std::vector<double>> values = fillAll(blocks, 1);
  ASSERT_EQ(values[0].size(), 9000u);
  for (unsigned r = 0; r < 3; ++r) {
    double sum = 0.0;
    double squares = 0.0;
    for (std::size_t i = 0; i < 3000; ++i) {
      const double x = values[0][r * 3000 + i];
      sum += x;
      squares += (x - 5.0) * (x - 5.0);
    }
    EXPECT_NEAR(sum / 3000.0, 5.0, 0.005);
    EXPECT_NEAR(std::sqrt(squares / 3000.0), 3.0, 0.03);
  }
}

TEST(PointBlocks, RejectsDesignsItCannotFill) {
  const auto message = [](const PointDesign& design) {
    try {
      PointBlocks blocks(Family::kNormal, {0.0}, {1.0}, 1, design);
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
