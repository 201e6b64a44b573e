// The measures of a phase spread over threads: the same values for any
// number of them.
#include "results/position_threads.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "distributions/sampling_source.h"
#include "results/standard_errors.h"
#include "results/convergence.h"
#include "solve/phase_solver.h"
#include "support/pair_entries.h"
#include "support/random_source.h"

namespace linprob {
namespace {

bool sameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void expectSame(const std::optional<CoverageInterval>& a,
                const std::optional<CoverageInterval>& b) {
  ASSERT_EQ(a.has_value(), b.has_value());
  if (!a) return;
  EXPECT_TRUE(sameBits(a->symmetricLower, b->symmetricLower));
  EXPECT_TRUE(sameBits(a->symmetricUpper, b->symmetricUpper));
  EXPECT_TRUE(sameBits(a->shortestLower, b->shortestLower));
  EXPECT_TRUE(sameBits(a->shortestUpper, b->shortestUpper));
}

TEST(PositionThreadsTest, BatchEstimatesAndConvergenceDoNotDependOnThreads) {
  const unsigned n = 40;
  LinearSystem system(n);
  std::mt19937 random(3);
  std::uniform_real_distribution<double> real(-1.0, 1.0);
  for (unsigned r = 0; r < n; ++r) {
    for (unsigned c = 0; c < n; ++c) {
      system.setCoefficient(r, c, real(random) + (r == c ? 4.0 : 0.0));
    }
  }
  system.eliminate(pivotMode(1));
  std::vector<double> first(n), second(n), references(n);
  for (unsigned e = 0; e < n; ++e) {
    first[e] = real(random);
    second[e] = first[e] + 0.5;
    references[e] = 0.1 * e;
  }
  const auto sourceMade = testing_support::randomSource(SamplingJobs{
      n, Family::kTriangular, testing::pairEntries(first, second), 20000, 5});
  const JobSource& source = *sourceMade;
  SolveOptions options{.solverThreads = 2, .histogramPrecision = 7,
                       .references = references};
  ::testing::internal::CaptureStdout();
  const PhaseCounts counts = countPhase(source, system, options);
  ::testing::internal::GetCapturedStdout();
  ASSERT_TRUE(counts.batches);
  std::vector<std::uint64_t> jobs;
  for (std::size_t b = 0; b < source.batchCount(); ++b) {
    jobs.push_back(source.batchJobs(b));
  }
  const PhaseEstimates one = phaseEstimates(*counts.batches, counts.bands, 1);
  const PhaseEstimates three = phaseEstimates(*counts.batches, counts.bands, 3);
  ASSERT_EQ(one.size(), n);
  for (unsigned e = 0; e < n; ++e) {
    ASSERT_EQ(one[e].size(), three[e].size());
    ASSERT_FALSE(one[e].empty());
    for (std::size_t r = 0; r < one[e].size(); ++r) {
      EXPECT_TRUE(sameBits(one[e][r].weight, three[e][r].weight));
      ASSERT_TRUE(one[e][r].coverage);
      expectSame(one[e][r].coverage, three[e][r].coverage);
    }
  }
  const PhaseErrorInputs inputs{PointKind::kRandom,
                                &counts.bands, &*counts.batches, &one};
  const auto errorsOne = standardErrors(inputs, 1);
  const auto errorsThree = standardErrors(inputs, 3);
  for (unsigned e = 0; e < n; ++e) {
    ASSERT_TRUE(errorsOne[e] && errorsThree[e]);
    EXPECT_TRUE(sameBits(errorsOne[e]->sd, errorsThree[e]->sd));
    EXPECT_TRUE(sameBits(errorsOne[e]->coverage->shortestLower,
                         errorsThree[e]->coverage->shortestLower));
  }
  const auto seriesOne = convergenceSeries(inputs, errorsOne, jobs, 1);
  const auto seriesThree = convergenceSeries(inputs, errorsOne, jobs, 3);
  for (unsigned e = 0; e < n; ++e) {
    ASSERT_TRUE(seriesOne[e] && seriesThree[e]);
    ASSERT_EQ(seriesOne[e]->size(), seriesThree[e]->size());
    for (std::size_t k = 0; k < seriesOne[e]->size(); ++k) {
      const ConvergencePoint& a = (*seriesOne[e])[k];
      const ConvergencePoint& b = (*seriesThree[e])[k];
      EXPECT_TRUE(sameBits(a.symmetricLower.value, b.symmetricLower.value));
      EXPECT_TRUE(sameBits(a.symmetricUpper.error, b.symmetricUpper.error));
      EXPECT_TRUE(sameBits(a.mean.value, b.mean.value));
    }
  }
}

}  // namespace
}  // namespace linprob
