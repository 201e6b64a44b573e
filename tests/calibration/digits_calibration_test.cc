// What --digits states is as precise as it says, at every D: on a 2 x 2
// system of normal entries (each unknown normal, so its mean, sd and the
// ends of its symmetric 95 % interval are known exactly), over 200 seeds,
// at least 95 % of the stated values (the mean, the sd and both interval
// ends of each unknown, 1600 in all) lie within delta, half a unit in the
// sd's D-th significant digit, of the exact ones, for every kind of points.
// The rule asks k u <= delta of each value, a 95 % interval each; that the
// phase stops at the first round that meets it must not make it promise
// more than it holds.
//
// D = 4 would take some 10^8 samples a phase (delta / sd about 5e-4): it is
// the same rule at four times the samples of D = 3, and is left to longer
// runs than a test's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <tuple>
#include <vector>

#include "driver/distribution_phase.h"
#include "linear/pivot_mode.h"
#include "results/digits_rule.h"
#include "results/phase_measures.h"
#include "results/position_measures.h"
#include "support/sampling_kinds.h"

namespace linprob {
namespace {

class DigitsPrecision
    : public ::testing::TestWithParam<std::tuple<int, PointKind>> {};

TEST_P(DigitsPrecision, StatedValuesLieWithinTheirTolerance) {
  const auto [digits, points] = GetParam();
  RunSettings settings;
  settings.points = points;
  settings.Dimensions = 2;
  settings.SolverThreadCount = 2;
  settings.HistogramPrecision = 10;
  settings.ExactDistributions = false;
  settings.SampleCount = 1 << 22;
  settings.digits = digits;
  const RunConfig config(settings);
  SystemInputs inputs;
  inputs.n = 2;
  inputs.matrix = {2, 1, 1, 3};
  inputs.rhs = {1, 2};
  inputs.intervalRhs = {{0, 1}, {1, 2}};
  // Variances that give the unknowns sds of 1.10 and 1.20: delta is then
  // 0.5, 0.05 and 0.005 for D = 1, 2, 3.
  inputs.parametersOf(ParameterKind::kNormal) = {1, 2.43, 2, 8.39};
  inputs.parametersOf(ParameterKind::kBounds) = {0, 2, 1, 3};
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

  int within = 0;
  int stated = 0;
  int ruleMet = 0;
  std::vector<std::uint64_t> jobs;
  const int seeds = 200;
  for (std::uint64_t seed = 1; seed <= seeds; ++seed) {
    const PhaseContext context{config, system,  reference, 0, kPivotModes[0],
                               seed,   nullptr, {},        {mean[0], mean[1]}};
    ::testing::internal::CaptureStdout();
    PhaseResult phase =
        runDistributionPhase(familyInfo(Family::kNormal), context);
    ::testing::internal::GetCapturedStdout();
    measurePhase(phase, reference);
    jobs.push_back(phase.solvedJobs());
    ASSERT_TRUE(phase.digits);
    ruleMet += phase.digits->end == DigitsEnd::kRuleMet;
    for (const PositionResult& position : phase.positions) {
      const unsigned u = position.unknown;
      ASSERT_TRUE(position.valid.moments && position.measures.coverage);
      const double value = position.valid.moments->sd();
      const double delta = numericalTolerance(value, digits);
      const CoverageInterval& interval = *position.measures.coverage;
      const double errors[4] = {
          position.valid.moments->mean() - mean[u], value - sd[u],
          interval.symmetricLower - (mean[u] - kQuantile975 * sd[u]),
          interval.symmetricUpper - (mean[u] + kQuantile975 * sd[u])};
      for (const double error : errors) {
        ++stated;
        within += std::fabs(error) <= delta;
      }
    }
  }
  std::printf("--digits %d, %s: %d of %d values within delta, rule met in %d "
              "of %d phases, samples %llu to %llu\n",
              digits, pointKindRow(points).name, within, stated, ruleMet, seeds,
              static_cast<unsigned long long>(
                  *std::min_element(jobs.begin(), jobs.end())),
              static_cast<unsigned long long>(
                  *std::max_element(jobs.begin(), jobs.end())));
  EXPECT_GE(within, 0.95 * stated);
  EXPECT_EQ(ruleMet, seeds);
}

INSTANTIATE_TEST_SUITE_P(
    DigitsAndPoints, DigitsPrecision,
    ::testing::Combine(::testing::Values(1, 2, 3),
                       ::testing::ValuesIn(testing::samplingKinds())));

}  // namespace
}  // namespace linprob
