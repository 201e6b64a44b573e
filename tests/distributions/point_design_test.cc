#include "distributions/point_design.h"
#include "distributions/point_kinds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "distributions/sample_blocks.h"

namespace linprob {
namespace {

TEST(PointDesign, FixedCountsRoundUpPerReplicate) {
  const PointDesign sobol = pointDesign(PointKind::kSobol, 100000);
  EXPECT_EQ(sobol.replicates, kReplicates);
  EXPECT_EQ(sobol.replicateJobs, 8192u);
  EXPECT_EQ(sobol.jobCount(), 131072u);
  EXPECT_EQ(pointDesign(PointKind::kSobol, 65536).jobCount(), 65536u);
  const PointDesign lhs = pointDesign(PointKind::kLatinHypercube, 100001);
  EXPECT_EQ(lhs.replicateJobs, 6251u);
  EXPECT_EQ(pointDesign(PointKind::kRandom, 100001).jobCount(), 100001u);
  EXPECT_EQ(pointDesign(PointKind::kSobol, 0).chunkPlan().chunks, 0u);
}

TEST(PointDesign, OneRandomReplicateIsTodaysChunkPlan) {
  for (const int samples : {1, 1000, 1025, 16384, 100000, 4200000, 9000000}) {
    SamplingJobs jobs;
    jobs.sampleCount = samples;
    const PointDesign design = pointDesign(PointKind::kRandom, samples);
    const ChunkPlan blockPlan = ChunkPlan::of(
        jobs.blockCount(), static_cast<std::uint64_t>(samples));
    EXPECT_EQ(design.chunkPlan().units, blockPlan.units);
    EXPECT_EQ(design.chunkPlan().chunks, blockPlan.chunks);
    const std::uint64_t blocks = jobs.blockCount();
    EXPECT_EQ(design.batchCount(), std::min<std::uint64_t>(blocks, kReplicates));
    // Consecutive groups of blocks, one to two blocks apart in size.
    std::vector<std::uint64_t> perBatch(design.batchCount(), 0);
    std::vector<std::uint64_t> jobsPerBatch(design.batchCount(), 0);
    for (std::uint64_t b = 0; b < blocks; ++b) {
      ++perBatch[design.batchOf(b)];
      jobsPerBatch[design.batchOf(b)] += design.blockJobs(b);
    }
    EXPECT_LE(*std::max_element(perBatch.begin(), perBatch.end()),
              *std::min_element(perBatch.begin(), perBatch.end()) + 1);
    for (std::size_t r = 0; r < design.batchCount(); ++r) {
      EXPECT_EQ(design.batchJobs(r), jobsPerBatch[r]) << r;
    }
    EXPECT_EQ(design.batchJobs(design.batchCount()), 0u);
    EXPECT_EQ(design.batchOf(blocks - 1), design.batchCount() - 1);
    for (std::uint64_t b = 0; b < jobs.blockCount(); b += 7) {
      ASSERT_EQ(design.blockJobs(b), jobs.blockJobs(b));
    }
  }
}

TEST(PointDesign, ChunksNestInReplicates) {
  for (const PointDesign design :
       {PointDesign{PointKind::kSobol, 16, 8192},
        PointDesign{PointKind::kLatinHypercube, 16, 6251},
        PointDesign{PointKind::kLatinHypercube, 16, 1000000},
        PointDesign{PointKind::kSobol, 16, 1}}) {
    const ChunkPlan plan = design.chunkPlan();
    EXPECT_EQ(plan.chunks % design.replicates, 0u);
    EXPECT_EQ(design.batchCount(), design.replicates);
    EXPECT_LE(plan.chunks, kMaxChunks);
    std::vector<std::uint64_t> jobs(design.replicates, 0);
    for (std::size_t c = 0; c < plan.chunks; ++c) {
      const UnitRange units = plan.range(c);
      ASSERT_LT(units.first, units.end);
      const unsigned replicate = design.replicateOf(units.first);
      EXPECT_EQ(design.replicateOf(units.end - 1), replicate);
      EXPECT_EQ(design.batchOf(units.first), replicate);
      jobs[replicate] += design.chunkJobs(c);
    }
    EXPECT_EQ(jobs, std::vector<std::uint64_t>(design.replicates,
                                               design.replicateJobs));
    for (std::size_t r = 0; r < design.replicates; ++r) {
      EXPECT_EQ(design.batchJobs(r), jobs[r]);
    }
  }
}

TEST(PointDesign, DigitsRoundsDoubleUpToTheCeiling) {
  const auto each = [](PointKind points, int ceiling) {
    std::vector<std::uint64_t> sizes;
    for (const PointDesign& round : digitsRounds(points, ceiling)) {
      EXPECT_EQ(round.replicates, kReplicates);
      sizes.push_back(round.replicateJobs);
    }
    return sizes;
  };
  using Sizes = std::vector<std::uint64_t>;
  EXPECT_EQ(each(PointKind::kRandom, 100000), (Sizes{1024, 2048, 4096, 6250}));
  // The ceiling is reached, not cut to a whole number of blocks.
  EXPECT_EQ(each(PointKind::kRandom, 20000), (Sizes{1024, 1250}));
  EXPECT_EQ(each(PointKind::kLatinHypercube, 65536),
            (Sizes{1024, 2048, 4096}));
  EXPECT_EQ(each(PointKind::kSobol, 100000),
            (Sizes{1024, 2048, 4096, 8192}));
  EXPECT_EQ(each(PointKind::kSobol, 5000), (Sizes{512}));
  EXPECT_EQ(each(PointKind::kRandom, 5000), (Sizes{312}));
  // Too few for batches: the one fixed-count design.
  const std::vector<PointDesign> tiny = digitsRounds(PointKind::kRandom, 20);
  ASSERT_EQ(tiny.size(), 1u);
  EXPECT_EQ(tiny[0].jobCount(), 20u);
}

}  // namespace
}  // namespace linprob
