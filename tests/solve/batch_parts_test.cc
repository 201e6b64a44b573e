// The batches of a sampling phase cut inside its chunks (batch_parts.h)
// against each batch counted on its own from every solved sample, and the
// same bits for any number of threads and ranks.
#include "solve/batch_parts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "distributions/point_kinds.h"
#include "distributions/sample_blocks.h"
#include "distributions/sampling_source.h"
#include "linear/step_replay.h"
#include "solve/phase_solver.h"
#include "support/in_process_ranks.h"
#include "support/pair_entries.h"
#include "support/random_source.h"

namespace linprob {
namespace {

struct Phase {
  LinearSystem system{2};
  SamplingJobs jobs;
  std::vector<double> references;
};

// The phase's lines are printed; the tests capture them.
// 70000 samples: 69 blocks in 4 chunks and 16 batches, so most batches end
// inside a chunk and one spans two.
Phase makePhase(Family family) {
  Phase phase;
  phase.system.setCoefficient(0, 0, 3.0);
  phase.system.setCoefficient(0, 1, 1.0);
  phase.system.setCoefficient(1, 0, 1.0);
  phase.system.setCoefficient(1, 1, 2.0);
  phase.system.eliminate(pivotMode(0));
  phase.jobs = SamplingJobs{2, family, testing::pairEntries({5.0, 4.0}, {5.5, 7.0}),
                            70000, 99};
  phase.references = {1.2, 1.9};
  return phase;
}

PhaseCounts count(const Phase& phase, int threads, ProcessGroup* group) {
  const auto sourceMade = testing_support::randomSource(phase.jobs);
  const JobSource& source = *sourceMade;
  SolveOptions options{.solverThreads = threads, .histogramPrecision = 7};
  options.references = phase.references;
  options.group = group;
  return countPhase(source, phase.system, options);
}

void expectSameBits(const BatchSums& a, const BatchSums& b) {
  ASSERT_EQ(a.batches(), b.batches());
  EXPECT_EQ(a.fineCounts(), b.fineCounts());
  for (std::size_t r = 0; r < a.batches(); ++r) {
    for (std::size_t e = 0; e < 2; ++e) {
      EXPECT_EQ(a.masses(r, e)[0], b.masses(r, e)[0]);
      EXPECT_EQ(a.masses(r, e)[6], b.masses(r, e)[6]);
      EXPECT_EQ(a.moments(r)[e].sumFirst(), b.moments(r)[e].sumFirst());
      EXPECT_EQ(a.moments(r)[e].sumSecond(), b.moments(r)[e].sumSecond());
    }
  }
}

TEST(BatchParts, EachBatchHoldsItsOwnSamples) {
  const Phase phase = makePhase(Family::kUniform);
  const auto sourceMade = testing_support::randomSource(phase.jobs);
  const JobSource& source = *sourceMade;
  ASSERT_EQ(source.chunkPlan().chunks, 4u);
  const auto parts = batchPartsOf(source);
  EXPECT_EQ(parts[0].size(), 4u);  // blocks 0 ... 16 of 69: batches 0 ... 3
  EXPECT_EQ(parts[1].front().batch, 3u);  // batch 3 spans chunks 0 and 1

  ::testing::internal::CaptureStdout();
  const PhaseCounts counts = count(phase, 2, nullptr);
  ::testing::internal::GetCapturedStdout();
  ASSERT_TRUE(counts.batches.has_value());
  const BatchSums& batches = *counts.batches;
  ASSERT_EQ(batches.batches(), 16u);
  const PointDesign design = pointDesign(PointKind::kRandom, 70000);
  const SampleBlocks draws(phase.jobs);
  JobBlock block(2);
  for (std::size_t e = 0; e < 2; ++e) {
    const PositionBands& bands = counts.bands[e];
    const std::size_t bandCount = bands.borders.size();
    ASSERT_GE(bandCount, 7u);
    std::vector<std::vector<double>> masses(
        16, std::vector<double>(bandCount, 0.0));
    std::vector<WeightedMoments> moments(16,
                                         WeightedMoments(phase.references[e]));
    for (std::uint64_t b = 0; b < phase.jobs.blockCount(); ++b) {
      draws.fill(b, block);
      for (std::size_t j = 0; j < block.count; ++j) {
        std::vector<double> rhs = {block.entry(0)[j], block.entry(1)[j]};
        replaySteps(rhs, phase.system.steps());
        const std::size_t r = design.batchOf(b);
        masses[r][bandIndex(bands, rhs[e])] += block.probabilities[j];
        moments[r].add(rhs[e], block.probabilities[j]);
      }
    }
    for (std::size_t r = 0; r < 16; ++r) {
      for (std::size_t k = 0; k < bandCount; ++k) {
        EXPECT_NEAR(batches.masses(r, e)[k], masses[r][k], 1e-12)
            << "batch " << r << " band " << k;
      }
      EXPECT_NEAR(batches.moments(r)[e].mean(), moments[r].mean(), 1e-12);
      EXPECT_NEAR(batches.moments(r)[e].sd(), moments[r].sd(), 1e-12);
      // The batch histogram holds the batch's weight.
      const std::span<const std::uint64_t> kept = batches.counts(r, e);
      ASSERT_EQ(kept.size(), batches.subBands());
      std::uint64_t total = 0;
      for (const std::uint64_t count : kept) total += count;
      // Fixed point: 2^62 to the unit of mass.
      EXPECT_NEAR(static_cast<double>(total) / 0x1p62,
                  moments[r].sumWeight(), 1e-9);
    }
  }
}

TEST(BatchParts, SameBitsForAnyThreadsAndRanks) {
  const Phase phase = makePhase(Family::kNormal);
  ::testing::internal::CaptureStdout();
  const PhaseCounts lone = count(phase, 1, nullptr);
  const PhaseCounts three = count(phase, 3, nullptr);
  ::testing::internal::GetCapturedStdout();
  ASSERT_TRUE(lone.batches.has_value());
  expectSameBits(*lone.batches, *three.batches);
  for (const int size : {2, 3}) {
    testing::InProcessRanks ranks(size);
    std::vector<std::optional<BatchSums>> shared(static_cast<std::size_t>(size));
    ::testing::internal::CaptureStdout();
    ranks.run([&](ProcessGroup& group) {
      shared[static_cast<std::size_t>(group.rank())] =
          count(phase, 1 + group.rank() % 2, &group).batches;
    });
    ::testing::internal::GetCapturedStdout();
    for (const auto& batches : shared) {
      ASSERT_TRUE(batches.has_value());
      expectSameBits(*lone.batches, *batches);
    }
  }
}

TEST(BatchParts, EnumerationAndSingleBlocksHaveNoBatches) {
  Phase phase = makePhase(Family::kTriangular);
  phase.jobs.sampleCount = 1000;  // one block, one batch
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(count(phase, 1, nullptr).batches.has_value());
  ::testing::internal::GetCapturedStdout();
}

}  // namespace
}  // namespace linprob
