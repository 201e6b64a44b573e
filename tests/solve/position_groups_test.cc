// Kept chunks counted a group of positions at a time against whole chunks
// streamed again: the same bits in every band, moment, fine count and
// batch, for one chunk and several, any thread count and two ranks.
#include "solve/position_groups.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "distributions/sampling_source.h"
#include "solve/phase_solver.h"
#include "support/in_process_ranks.h"
#include "support/pair_entries.h"
#include "support/random_source.h"

namespace linprob {
namespace {

struct Phase {
  LinearSystem system{kGroupedPositions + 3};
  SamplingJobs jobs;
  std::vector<double> references;
};

Phase makePhase(int samples, int mode) {
  Phase phase;
  const unsigned n = phase.system.size();
  std::mt19937 random(static_cast<unsigned>(samples + mode));
  std::uniform_real_distribution<double> real(-1.0, 1.0);
  for (unsigned r = 0; r < n; ++r) {
    for (unsigned c = 0; c < n; ++c) {
      phase.system.setCoefficient(r, c, real(random) + (r == c ? 4.0 : 0.0));
    }
  }
  phase.system.eliminate(pivotMode(mode));
  std::vector<double> first(n), second(n);
  for (unsigned e = 0; e < n; ++e) {
    first[e] = 3.0 * real(random);
    second[e] = first[e] + 0.5;
    phase.references.push_back(0.1 * e);
  }
  phase.jobs = SamplingJobs{n, static_cast<Family>(mode % 3), testing::pairEntries(first, second),
                            samples, 7};
  return phase;
}

PhaseCounts count(const Phase& phase, int threads, std::uint64_t budget,
                  ProcessGroup* group) {
  const auto sourceMade = testing_support::randomSource(phase.jobs);
  const JobSource& source = *sourceMade;
  SolveOptions options{.solverThreads = threads,
                       .histogramPrecision = 9,
                       .references = phase.references,
                       .group = group,
                       .memoryBudget = budget};
  return countPhase(source, phase.system, options);
}

void expectSameBits(const PhaseCounts& a, const PhaseCounts& b) {
  ASSERT_EQ(a.bands.size(), b.bands.size());
  for (std::size_t e = 0; e < a.bands.size(); ++e) {
    SCOPED_TRACE("position " + std::to_string(e));
    EXPECT_EQ(a.bands[e].masses, b.bands[e].masses);
    ASSERT_TRUE(a.bands[e].moments && b.bands[e].moments);
    EXPECT_EQ(a.bands[e].moments->sumFirst(), b.bands[e].moments->sumFirst());
    EXPECT_EQ(a.bands[e].moments->sumSecond(),
              b.bands[e].moments->sumSecond());
    ASSERT_TRUE(a.bands[e].fine && b.bands[e].fine);
    EXPECT_EQ(a.bands[e].fine->counts(), b.bands[e].fine->counts());
  }
  ASSERT_TRUE(a.batches && b.batches);
  ASSERT_EQ(a.batches->batches(), b.batches->batches());
  EXPECT_EQ(a.batches->fineCounts(), b.batches->fineCounts());
  for (std::size_t r = 0; r < a.batches->batches(); ++r) {
    for (std::size_t e = 0; e < a.bands.size(); ++e) {
      const std::size_t bands = a.bands[e].borders.size();
      for (std::size_t k = 0; k < bands; ++k) {
        EXPECT_EQ(a.batches->masses(r, e)[k], b.batches->masses(r, e)[k]);
      }
      EXPECT_EQ(a.batches->moments(r)[e].sumFirst(),
                b.batches->moments(r)[e].sumFirst());
      EXPECT_EQ(a.batches->moments(r)[e].sumSecond(),
                b.batches->moments(r)[e].sumSecond());
    }
  }
}

TEST(PositionGroupsTest, GroupsGiveTheBitsOfWholeChunks) {
  // 10,000 samples are one chunk of ten blocks and batches; 40,000 are two
  // chunks, the batches cut inside them.
  for (const int samples : {10000, 40000}) {
    for (int mode = 0; mode < 4; mode += 3) {
      SCOPED_TRACE(std::to_string(samples) + " samples, mode " +
                   std::to_string(mode));
      const Phase phase = makePhase(samples, mode);
      ::testing::internal::CaptureStdout();
      const PhaseCounts streamed = count(phase, 1, 0, nullptr);
      const PhaseCounts kept = count(phase, 1, kDefaultMemoryBudget, nullptr);
      const PhaseCounts keptOnThree =
          count(phase, 3, kDefaultMemoryBudget, nullptr);
      std::vector<std::optional<PhaseCounts>> shared(2);
      testing::InProcessRanks ranks(2);
      ranks.run([&](ProcessGroup& group) {
        const auto rank = static_cast<std::size_t>(group.rank());
        shared[rank] =
            count(phase, 2, rank == 0 ? kDefaultMemoryBudget : 0, &group);
      });
      ::testing::internal::GetCapturedStdout();
      expectSameBits(streamed, kept);
      expectSameBits(streamed, keptOnThree);
      for (const auto& counts : shared) expectSameBits(streamed, *counts);
    }
  }
}

}  // namespace
}  // namespace linprob
