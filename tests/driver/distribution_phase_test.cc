// A phase whose band width is below the resolution of its values refuses to
// collapse its bands; and what --digits states is as precise as it says.
#include "driver/distribution_phase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "linear/pivot_mode.h"
#include "results/digits_rule.h"
#include "results/position_measures.h"

namespace linprob {
namespace {


// x = b on [1, 1 + 1e-13]: 1000 bands would be a tenth of an ulp each. The
// start of a run refuses it (band_check_test.cc); the phase itself does too.
TEST(DistributionPhaseTest, RefusesBandsNarrowerThanTheValuesResolution) {
  RunSettings settings;
  settings.Dimensions = 1;
  settings.IntegrationPrecision = 10;
  settings.HistogramPrecision = 1000;
  SystemInputs inputs;
  inputs.n = 1;
  inputs.matrix = {1};
  inputs.rhs = {1};
  inputs.intervalRhs = {{1, 1.0000000000001}};
  inputs.normalPairs = {1, 1};
  inputs.boundsPairs = {1, 1.0000000000001};
  const SystemReference reference =
      makeSystemReference(inputs, {}, ReferenceNeed::kInputsOnly);
  LinearSystem system = LinearSystem::fromRows(1, inputs.matrix);
  system.eliminate(kPivotModes[0]);
  const PhaseContext context{settings, system,  reference, 0, kPivotModes[0],
                             std::nullopt, nullptr, {}, {1.0}};
  ::testing::internal::CaptureStdout();
  try {
    runDistributionPhase(familyInfo(Family::kTriangular), context);
    ADD_FAILURE() << "the bands were counted";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(),
                 "Triangular family, unknown 0: the band width "
                 "9.015010959956272e-17 (HistogramPrecision 1000) is below the "
                 "resolution of the values from Min 1.0000000000000049 to Max "
                 "1.000000000000095: the bands would collapse");
  }
  ::testing::internal::GetCapturedStdout();

  // Ten bands are wide enough.
  settings.HistogramPrecision = 10;
  ::testing::internal::CaptureStdout();
  EXPECT_NO_THROW(runDistributionPhase(familyInfo(Family::kTriangular), context));
  ::testing::internal::GetCapturedStdout();
}

// --digits 2 on a 2 x 2 system of normal entries, for 100 seeds: each of
// the mean, the sd and both ends of the symmetric 95 % interval of every
// unknown lies within delta (half a unit in the sd's second significant
// digit) of the exact one in at least 95 of them. (The rule asks 2 u <=
// delta of each value, about 95 % each; it does not promise all eight at
// once.)
class DigitsPrecision : public ::testing::TestWithParam<PointSet> {};

TEST_P(DigitsPrecision, EveryValueLiesWithinItsTolerance) {
  RunSettings settings;
  settings.points = GetParam();
  settings.Dimensions = 2;
  settings.SolverThreadCount = 1;
  settings.HistogramPrecision = 10;
  settings.ExactDistributions = false;
  settings.SampleCount = 1 << 17;
  settings.digits = 2;
  SystemInputs inputs;
  inputs.n = 2;
  inputs.matrix = {2, 1, 1, 3};
  inputs.rhs = {1, 2};
  inputs.intervalRhs = {{0, 1}, {1, 2}};
  // Variances that give the unknowns sds of 1.10 and 1.20: the rule's delta
  // is then 0.05 for both, and the phases stop well short of the ceiling.
  inputs.normalPairs = {1, 2.43, 2, 8.39};
  inputs.boundsPairs = {0, 2, 1, 3};
  const SystemReference reference = makeSystemReference(inputs);
  LinearSystem system = LinearSystem::fromRows(2, inputs.matrix);
  system.eliminate(kPivotModes[0]);
  ASSERT_EQ(system.columnOrder(), (std::vector<unsigned>{0, 1}));

  // x = A^-1 b with A^-1 = [[3, -1], [-1, 2]] / 5: each unknown is normal.
  const double inverse[2][2] = {{0.6, -0.2}, {-0.2, 0.4}};
  const double mean[2] = {0.6 * 1 - 0.2 * 2, -0.2 * 1 + 0.4 * 2};
  double sd[2];
  for (int i = 0; i < 2; ++i) {
    sd[i] = std::sqrt(inverse[i][0] * inverse[i][0] * 2.43 +
                      inverse[i][1] * inverse[i][1] * 8.39);
  }
  constexpr double kQuantile975 = 1.959963984540054;

  // For each unknown: the seeds whose mean, sd, lower and upper end lie
  // within delta of the exact ones.
  int within[2][4] = {};
  std::vector<std::uint64_t> jobs;
  for (std::uint64_t seed = 1; seed <= 100; ++seed) {
    const PhaseContext context{settings, system,  reference, 0, kPivotModes[0],
                               seed,     nullptr, {},        {mean[0], mean[1]}};
    ::testing::internal::CaptureStdout();
    PhaseResult phase = runDistributionPhase(familyInfo(Family::kNormal), context);
    ::testing::internal::GetCapturedStdout();
    measurePhase(phase, reference);
    jobs.push_back(phase.solvedJobs());
    for (const PositionResult& position : phase.positions) {
      const unsigned u = position.unknown;
      ASSERT_TRUE(position.valid.moments && position.measures.coverage);
      const double stated = position.valid.moments->sd();
      const double delta = numericalTolerance(stated, 2);
      const CoverageInterval& interval = *position.measures.coverage;
      const double errors[4] = {
          position.valid.moments->mean() - mean[u], stated - sd[u],
          interval.symmetricLower - (mean[u] - kQuantile975 * sd[u]),
          interval.symmetricUpper - (mean[u] + kQuantile975 * sd[u])};
      for (int k = 0; k < 4; ++k) within[u][k] += std::fabs(errors[k]) <= delta;
    }
  }
  for (int u = 0; u < 2; ++u) {
    for (int k = 0; k < 4; ++k) {
      EXPECT_GE(within[u][k], 95) << "unknown " << u << ", value " << k;
    }
  }
  // The rule stopped most phases short of the ceiling.
  const auto stopped = std::count_if(jobs.begin(), jobs.end(), [&](std::uint64_t j) {
    return j < static_cast<std::uint64_t>(settings.SampleCount);
  });
  EXPECT_GE(stopped, 50);
}

INSTANTIATE_TEST_SUITE_P(Points, DigitsPrecision,
                         ::testing::Values(PointSet::kRandom, PointSet::kSobol,
                                           PointSet::kLatinHypercube));

}  // namespace
}  // namespace linprob
