#include "results/truth_check.h"

#include <gtest/gtest.h>

#include <stop_token>
#include <vector>

#include "results/phase_result.h"
#include "solve/phase_solver.h"
#include "support/counted_bands.h"
#include "results/phase_measures.h"

namespace linprob {
namespace {

// diag(2, 4) with b0 uniform on [0, 4] and b1 on [2, 6]: x0 uniform on
// [0, 2], x1 on [0.5, 1.5]. The phase holds six positions (the two unknowns
// three times over), VALID from a few values, INVALID from the moments.
struct Case {
  SystemReference reference;
  PhaseResult phase;
};

Case uniformCase(std::vector<double> matrix = {2, 0, 0, 4}) {
  SystemInputs inputs;
  inputs.n = 2;
  inputs.matrix = std::move(matrix);
  inputs.rhs = {1, 1};
  inputs.intervalRhs = {{0, 1}, {0, 1}};
  inputs.parametersOf(ParameterKind::kNormal) = {0, 1, 0, 1};
  inputs.parametersOf(ParameterKind::kBounds) = {0, 4, 2, 6};
  Case c{makeSystemReference(std::move(inputs)), {}};
  PhaseBands bands;
  std::vector<NormalParameters> moments;
  std::vector<unsigned> order;
  for (int copy = 0; copy < 3; ++copy) {
    bands.push_back(testing::countedBands({0.25, 0.5, 1.0, 1.75},
                                          {0.25, 0.25, 0.25, 0.25}, 4));
    bands.push_back(
        testing::countedBands({0.6, 1.0, 1.4}, {0.25, 0.5, 0.25}, 3));
    moments.push_back({1.0, 1.0 / 3});
    moments.push_back({1.0, 1.0 / 12});
    order.push_back(0);
    order.push_back(1);
  }
  c.phase = makePhaseResult(Family::kUniform, std::move(bands), moments, order);
  measurePhase(c.phase, c.reference);
  return c;
}

// Every number of the truth and its comparisons is the same on 1 and on 4
// threads, and VALID's distance is that of its bands from the truth's.
TEST(TruthCheck, ThreadCountsChangeNothing) {
  Case one = uniformCase();
  Case four = uniformCase();
  checkPhaseAgainstTruth(one.phase, one.reference, 1, std::stop_token());
  checkPhaseAgainstTruth(four.phase, four.reference, 4, std::stop_token());
  for (std::size_t i = 0; i < one.phase.positions.size(); ++i) {
    const TruthCheck& a = one.phase.positions[i].measures.truth;
    const TruthCheck& b = four.phase.positions[i].measures.truth;
    ASSERT_TRUE(a.truth) << a.reason;
    ASSERT_TRUE(b.truth);
    EXPECT_EQ(a.truth->values.masses, b.truth->values.masses);
    EXPECT_EQ(a.truth->errors.masses, b.truth->errors.masses);
    EXPECT_EQ(a.truth->values.upperTail, b.truth->values.upperTail);
    ASSERT_TRUE(a.valid && a.invalid && b.valid);
    EXPECT_EQ(a.valid->totalVariation, b.valid->totalVariation);
    EXPECT_EQ(a.invalid->maxCdf, b.invalid->maxCdf);
    const PositionBands& bands = one.phase.positions[i].valid;
    const TruthTable& t = *a.truth;
    EXPECT_EQ(a.valid->totalVariation,
              discrepancyBetween(t.values.lowerTail, t.values.masses,
                                 t.values.upperTail, 0.0, bands.masses, 0.0)
                  .totalVariation);
  }
  // x0 uniform on [0, 2]: each band holds half its width.
  const PositionResult& x0 = one.phase.positions[0];
  const std::vector<double>& borders = x0.valid.borders;
  EXPECT_NEAR(x0.measures.truth.truth->values.masses[1],
              (borders[1] - borders[0]) / 2, 1e-15);
}

TEST(TruthCheck, ReasonsWithoutATruthAndStopBetweenPositions) {
  Case singular = uniformCase({1, 2, 2, 4});
  checkPhaseAgainstTruth(singular.phase, singular.reference, 2,
                         std::stop_token());
  const TruthCheck& none = singular.phase.positions[0].measures.truth;
  EXPECT_FALSE(none.truth);
  EXPECT_EQ(none.reason,
            "the matrix is singular or too ill-conditioned for the certified "
            "inverse");
  EXPECT_FALSE(none.valid);

  Case stopped = uniformCase();
  std::stop_source source;
  source.request_stop();
  EXPECT_THROW(checkPhaseAgainstTruth(stopped.phase, stopped.reference, 2,
                                      source.get_token()),
               PhaseStopped);
  EXPECT_FALSE(stopped.phase.positions[0].measures.truth.truth);
}

}  // namespace
}  // namespace linprob
