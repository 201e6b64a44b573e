#include "results/system_reference.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <stop_token>
#include <vector>

#include "solve/phase_solver.h"

namespace linprob {
namespace {

// A = [[4, 1], [2, 3]], inverted by hand: det 10,
// A^-1 = [[0.3, -0.1], [-0.2, 0.4]]. Every input is dyadic, so each exact
// result is a short decimal whose nearest double the compiler reads from
// its literal.
SystemInputs handInvertedInputs() {
  SystemInputs inputs;
  inputs.system = 3;
  inputs.n = 2;
  inputs.matrix = {4, 1, 2, 3};
  inputs.rhs = {1, 2};
  inputs.intervalRhs = {{0.5, 1.5}, {1.5, 2.5}};
  inputs.parametersOf(ParameterKind::kNormal) = {1, 0.25, 2, 0.5};
  inputs.parametersOf(ParameterKind::kBounds) = {0, 2, 1, 3};
  return inputs;
}

// Two cells per entry, [cell][entry]: entry 0 at 0.5 and 1.5 (mean 1,
// variance 0.25), entry 1 at 1 and 3 (mean 2, variance 1), equal weights.
RectangleTable twoCells() {
  return {{{0.5, 0.5}, {1, 0.5}}, {{1.5, 0.5}, {3, 0.5}}};
}

void expectMoments(const UnknownMomentList& moments,
                   const std::vector<UnknownMoments>& expected) {
  ASSERT_EQ(moments.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_TRUE(moments[i]) << i;
    EXPECT_EQ(moments[i]->mean, expected[i].mean) << i;
    EXPECT_EQ(moments[i]->variance, expected[i].variance) << i;
  }
}

// Shares to within 2 units in the last place of the nearest double of
// each expected fraction (given here as a rounded quotient).
void expectShares(const std::vector<UnknownShares>& shares,
                  const std::vector<std::vector<double>>& expected) {
  ASSERT_EQ(shares.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(shares[i].state, ShareState::kCertified) << i;
    ASSERT_EQ(shares[i].shares.size(), expected[i].size());
    for (std::size_t j = 0; j < expected[i].size(); ++j) {
      EXPECT_NEAR(shares[i].shares[j], expected[i][j], 4e-16) << i << j;
    }
  }
}

TEST(SystemReferenceTest, HandInvertedTwoByTwo) {
  SystemInputs inputs = handInvertedInputs();
  inputs.cells[static_cast<std::size_t>(Family::kTriangular)] = twoCells();
  // Enumerated phases without cells.
  inputs.cells[static_cast<std::size_t>(Family::kNormal)] = RectangleTable{};
  inputs.cells[static_cast<std::size_t>(Family::kUniform)] = RectangleTable{};
  const SystemReference reference = makeSystemReference(inputs);
  EXPECT_EQ(reference.system, 3);
  EXPECT_EQ(reference.matrix, (std::vector<double>{4, 1, 2, 3}));
  ASSERT_TRUE(reference.exact);
  EXPECT_EQ(reference.exact->trueSolution,
            (std::vector<std::optional<double>>{0.1, 0.6}));
  EXPECT_EQ(reference.exact->conditionNumber, 3.0);  // 5 * 0.6
  EXPECT_EQ(reference.exact->conditionEnclosure, (ValueBounds{3.0, 3.0}));
  ASSERT_TRUE(reference.inverse);
  EXPECT_EQ(reference.inverse->size(), 2u);
  EXPECT_TRUE(reference.reasons.trueSolution.empty());
  EXPECT_TRUE(reference.reasons.moments.empty());

  // Normal: means 0.3 - 0.2 and -0.2 + 0.8; variances 0.09 * 0.25 + 0.01 *
  // 0.5 and 0.04 * 0.25 + 0.16 * 0.5.
  const FamilyReference* normal = reference.family(Family::kNormal);
  ASSERT_NE(normal, nullptr);
  expectMoments(normal->exactLinear, {{0.1, 0.0275}, {0.6, 0.09}});
  // Triangular and uniform on [0, 2] and [1, 3]: means 1 and 2, variances
  // 4/24 and 4/12 per entry, times the row sums of squares 0.1 and 0.2.
  const FamilyReference* triangular = reference.family(Family::kTriangular);
  ASSERT_NE(triangular, nullptr);
  expectMoments(triangular->exactLinear,
                {{0.1, 1.0 / 60.0}, {0.6, 1.0 / 30.0}});
  expectMoments(reference.family(Family::kUniform)->exactLinear,
                {{0.1, 1.0 / 30.0}, {0.6, 1.0 / 15.0}});
  // Expected from the cells: 0.09 * 0.25 + 0.01 * 1 and 0.04 * 0.25 +
  // 0.16 * 1. The families without cells have no expectation.
  ASSERT_TRUE(triangular->expected);
  expectMoments(*triangular->expected, {{0.1, 0.0325}, {0.6, 0.17}});
  EXPECT_FALSE(normal->expected);

  // Shares of the same terms: normal 0.0225 : 0.005 and 0.01 : 0.08, the
  // triangular cells' 0.0225 : 0.01 and 0.01 : 0.16, the family's own
  // 0.09 : 0.01 and 0.04 : 0.16 (its entries' variances are equal).
  ASSERT_TRUE(reference.inverseRows);
  EXPECT_EQ(reference.inverseReason, "");
  expectShares(normal->shares, {{9.0 / 11, 2.0 / 11}, {1.0 / 9, 8.0 / 9}});
  EXPECT_FALSE(normal->cellShares);
  ASSERT_TRUE(triangular->cellShares);
  expectShares(*triangular->cellShares,
               {{9.0 / 13, 4.0 / 13}, {1.0 / 17, 16.0 / 17}});
  expectShares(triangular->shares, {{0.9, 0.1}, {0.2, 0.8}});
  EXPECT_EQ(reference.parametersOf(ParameterKind::kBounds),
            (std::vector<double>{0, 2, 1, 3}));
}

TEST(SystemReferenceTest, SamplingExpectsTheFamilyMoments) {
  SystemInputs inputs = handInvertedInputs();
  const SystemReference reference = makeSystemReference(inputs);
  for (const FamilyInfo& info : kFamilies) {
    const FamilyReference* family = reference.family(info.family);
    // A family whose file the system has not has no references.
    if (!inputs.runs(info.family)) {
      EXPECT_EQ(family, nullptr);
      continue;
    }
    ASSERT_NE(family, nullptr);
    ASSERT_TRUE(family->expected);
    ASSERT_EQ(family->expected->size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
      EXPECT_EQ((*family->expected)[i]->mean, family->exactLinear[i]->mean);
      EXPECT_EQ((*family->expected)[i]->variance,
                family->exactLinear[i]->variance);
    }
  }
}

TEST(SystemReferenceTest, NoReferencesBeyondTheLimitOrWhenSingularWithTheReason) {
  SystemInputs large;
  large.n = kMaxCertifiedSize + 1;
  large.matrix.assign(large.n * large.n, 0.0);
  for (unsigned i = 0; i < large.n; ++i) large.matrix[i * large.n + i] = 1.0;
  large.rhs.assign(large.n, 1.0);
  large.intervalRhs.assign(large.n, {0.0, 1.0});
  const SystemReference big = makeSystemReference(large);
  EXPECT_FALSE(big.exact);
  EXPECT_FALSE(big.inverse);
  EXPECT_EQ(big.family(Family::kNormal), nullptr);
  EXPECT_FALSE(big.inverseRows);
  EXPECT_EQ(big.inverseReason,
            "more than 2000 unknowns, beyond the certified inverse");
  EXPECT_EQ(big.matrix.size(), large.n * large.n);
  EXPECT_EQ(big.reasons.conditionNumber,
            "not computed: the system has 2001 unknowns, above the 2000 the "
            "certified computation takes");
  EXPECT_EQ(big.reasons.hull, big.reasons.conditionNumber);

  SystemInputs singular = handInvertedInputs();
  singular.matrix = {1, 2, 2, 4};
  const SystemReference none = makeSystemReference(singular);
  EXPECT_FALSE(none.exact);
  EXPECT_EQ(none.family(Family::kUniform), nullptr);
  EXPECT_EQ(none.inverseReason,
            "the matrix is singular or too ill-conditioned for the certified "
            "inverse");
  EXPECT_EQ(none.reasons.trueSolution,
            "not computed: the matrix is singular or too ill-conditioned for "
            "the certified inverse");
}

TEST(SystemReferenceTest, ARunWithoutReportKeepsTheInputsAlone) {
  const SystemReference reference = makeSystemReference(
      handInvertedInputs(), {}, ReferenceNeed::kInputsOnly);
  EXPECT_FALSE(reference.exact);
  EXPECT_FALSE(reference.inverse);
  EXPECT_FALSE(reference.inverseRows);
  EXPECT_EQ(reference.family(Family::kTriangular), nullptr);
  EXPECT_EQ(reference.inverseReason, "not computed: no report is written");
  EXPECT_EQ(reference.reasons.moments, reference.inverseReason);
  EXPECT_EQ(reference.system, 3);
  EXPECT_EQ(reference.matrix, (std::vector<double>{4, 1, 2, 3}));
  EXPECT_EQ(reference.parametersOf(ParameterKind::kNormal), (std::vector<double>{1, 0.25, 2, 0.5}));
  EXPECT_EQ(reference.intervalRhs.size(), 2u);
  // The pairs are checked all the same.
  SystemInputs shortPairs = handInvertedInputs();
  shortPairs.parametersOf(ParameterKind::kBounds).pop_back();
  EXPECT_THROW(makeSystemReference(shortPairs, {},
                                   ReferenceNeed::kInputsOnly),
               std::invalid_argument);
}

TEST(SystemReferenceTest, AStopRequestedMeanwhileStopsTheComputation) {
  std::stop_source source;
  source.request_stop();
  EXPECT_THROW(makeSystemReference(handInvertedInputs(), source.get_token()),
               PhaseStopped);
}

// A family whose entries have no exact moments (a law with irrational ones)
// is left out of the references alone, with its reason; the other families
// and the values are what they are without it.
TEST(SystemReferenceTest, AFamilyWithoutExactMomentsIsLeftOutAlone) {
  FamilyTable rows = kFamilies;
  rows[static_cast<std::size_t>(Family::kNormal)].exactMoments =
      [](EntryNumbers) {
        return ExactEntryMoments{std::nullopt, "its moments are irrational"};
      };
  const SystemReference whole = makeSystemReference(handInvertedInputs());
  const SystemReference reference = makeSystemReference(
      handInvertedInputs(), {}, ReferenceNeed::kCertified, rows);
  EXPECT_EQ(reference.family(Family::kNormal), nullptr);
  EXPECT_EQ(reference.reasons.moments,
            "Normal: exact moments not computed: its moments are irrational");
  ASSERT_TRUE(reference.exact);
  EXPECT_EQ(reference.exact->trueSolution, whole.exact->trueSolution);
  for (const Family f : {Family::kTriangular, Family::kUniform}) {
    const FamilyReference* own = reference.family(f);
    const FamilyReference* full = whole.family(f);
    ASSERT_NE(own, nullptr);
    ASSERT_NE(full, nullptr);
    ASSERT_EQ(own->exactLinear.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
      ASSERT_TRUE(own->exactLinear[i] && full->exactLinear[i]);
      EXPECT_EQ(own->exactLinear[i]->mean, full->exactLinear[i]->mean);
      EXPECT_EQ(own->exactLinear[i]->variance, full->exactLinear[i]->variance);
      EXPECT_EQ(own->shares[i].shares, full->shares[i].shares);
    }
  }
}

}  // namespace
}  // namespace linprob
