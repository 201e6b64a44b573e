#include "linear/certified_reference.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <vector>

#include "support/random_systems.h"

namespace linprob {
namespace {

// Bits, so that -0.0 and 0.0 differ.
std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

ReferenceRequest requestOf(const testing::RandomSystem& system) {
  ReferenceRequest request;
  request.rhs = system.rhs;
  request.intervalRhs = system.intervalRhs;
  std::vector<EntryMoments> uniform;
  std::vector<EntryMoments> normal;
  for (unsigned j = 0; j < system.n; ++j) {
    const ValueBounds& box = system.intervalRhs[j];
    uniform.push_back(boundedEntryMoments(box.lower, box.upper, 12));
    normal.push_back(normalEntryMoments(system.rhs[j], 0.25 * system.rhs[j] * system.rhs[j]));
  }
  request.momentSets = {uniform, normal};
  return request;
}

CertifiedReference certifiedReference(const std::vector<double>& matrix,
                                      const ReferenceRequest& request,
                                      LastResort lastResort) {
  const auto n = static_cast<unsigned>(request.rhs.size());
  CertifiedInverseResult inverse =
      CertifiedInverse::compute(n, matrix, std::stop_token());
  EXPECT_EQ(inverse.status, Certification::kCertified);
  auto reference = computeCertifiedReference(*inverse.inverse, request,
                                             lastResort, std::stop_token());
  EXPECT_TRUE(reference);
  return std::move(*reference);
}

// Without the exact last resort, the enclosures alone decide every value of
// random systems, well and badly conditioned, and each is bit for bit the
// exact path's.
TEST(CertifiedReferenceTest, AgreesBitForBitWithTheExactPath) {
  struct Case {
    unsigned n;
    double kappa;
    double decades;
  };
  for (const Case c : {Case{3, 1, 2}, Case{17, 1e6, 12}, Case{40, 1e12, 4},
                       Case{64, 1, 12}, Case{64, 1e12, 2}}) {
    SCOPED_TRACE("n = " + std::to_string(c.n) + ", kappa " + std::to_string(c.kappa));
    const testing::RandomSystem system =
        testing::randomSystem(c.n, c.kappa, c.decades, 100 + c.n);
    const ReferenceRequest request = requestOf(system);
    const CertifiedReference certified =
        certifiedReference(system.matrix, request, LastResort::kNever);
    EXPECT_EQ(certified.exactRows, 0);
    std::vector<unsigned> every(c.n);
    std::iota(every.begin(), every.end(), 0u);
    const auto rows = ExactRows::compute(c.n, system.matrix, every);
    ASSERT_TRUE(rows);
    // computeExactReference's steps, on the rows computed once.
    ExactReference reference;
    reference.trueSolution.resize(c.n);
    reference.hull.resize(c.n);
    fillExactUnknowns(*rows, system.rhs, system.intervalRhs, reference);
    reference.conditionEnclosure = exactConditionNumber(*rows, system.matrix);
    reference.conditionNumber = reference.conditionEnclosure.upper;
    const ExactReference* exact = &reference;
    for (unsigned i = 0; i < c.n; ++i) {
      ASSERT_TRUE(certified.values.trueSolution[i]) << i;
      EXPECT_EQ(bits(*certified.values.trueSolution[i]), bits(*exact->trueSolution[i])) << i;
      ASSERT_TRUE(certified.values.hull[i]) << i;
      EXPECT_EQ(bits(certified.values.hull[i]->lower), bits(exact->hull[i]->lower)) << i;
      EXPECT_EQ(bits(certified.values.hull[i]->upper), bits(exact->hull[i]->upper)) << i;
    }
    EXPECT_EQ(certified.values.conditionNumber, exact->conditionNumber);
    EXPECT_EQ(certified.values.conditionEnclosure, exact->conditionEnclosure);
    for (std::size_t s = 0; s < request.momentSets.size(); ++s) {
      const std::vector<UnknownMoments> moments =
          propagateMoments(*rows, request.momentSets[s]);
      for (unsigned i = 0; i < c.n; ++i) {
        ASSERT_TRUE(certified.moments[s][i]) << s << " " << i;
        EXPECT_EQ(bits(certified.moments[s][i]->mean), bits(moments[i].mean));
        EXPECT_EQ(bits(certified.moments[s][i]->variance), bits(moments[i].variance));
      }
    }
  }
}

// Values that are exactly doubles in a direction rounded toward them, or an
// exact zero, cannot be decided by an enclosure of a non-dyadic inverse:
// the exact rows decide them.
TEST(CertifiedReferenceTest, TiesAreLeftOpenOrSettledByTheExactRows) {
  // A = [[2, 1], [1, 2]], A^-1 = [[2, -1], [-1, 2]] / 3; b = (1, 2) gives
  // x = (0, 1); kappa = 3 * 1 = 3. The box [1, 4] x [2, 2] gives x0 in
  // [0, 2] and x1 in [0, 1]: every end a double.
  ReferenceRequest request;
  request.rhs = {1, 2};
  request.intervalRhs = {{1, 4}, {2, 2}};
  const std::vector<double> matrix = {2, 1, 1, 2};
  const CertifiedReference open =
      certifiedReference(matrix, request, LastResort::kNever);
  // More terms of the inverse narrowed the enclosures, but cannot decide.
  EXPECT_EQ(open.extraTerms, kExtraInverseTerms);
  EXPECT_FALSE(open.values.trueSolution[0]);  // 0 +- a tiny radius
  EXPECT_EQ(open.values.trueSolution[1], 1.0);  // 1 is no rounding boundary
  EXPECT_FALSE(open.values.hull[0]);
  EXPECT_FALSE(open.values.hull[1]);
  // kappa = 3 exactly: its upper bound rounds up past 3, and the enclosure
  // says so.
  EXPECT_GT(open.values.conditionNumber, 3.0);
  EXPECT_LT(open.values.conditionEnclosure.lower, 3.0);
  EXPECT_EQ(open.values.conditionNumber, open.values.conditionEnclosure.upper);

  const CertifiedReference settled =
      certifiedReference(matrix, request, LastResort::kWhenAffordable);
  ASSERT_TRUE(settled.values.trueSolution[0]);
  EXPECT_EQ(bits(*settled.values.trueSolution[0]), bits(0.0));
  EXPECT_EQ(settled.values.hull[0], (ValueBounds{0, 2}));
  EXPECT_EQ(settled.values.hull[1], (ValueBounds{0, 1}));
  EXPECT_EQ(settled.values.conditionNumber, 3.0);
  EXPECT_EQ(settled.values.conditionEnclosure, (ValueBounds{3.0, 3.0}));
  EXPECT_EQ(settled.exactRows, 2);
}

// A dyadic inverse is found exactly, so even values that are doubles are
// decided without the exact rows.
TEST(CertifiedReferenceTest, ADyadicInverseDecidesEverything) {
  ReferenceRequest request;
  request.rhs = {1, -2};
  request.intervalRhs = {{0, 2}, {-3, -1}};
  request.momentSets = {{boundedEntryMoments(0, 2, 12),
                         boundedEntryMoments(-3, -1, 12)}};
  // A = diag(2, 4): x = (0.5, -0.5), hull [0, 1] x [-0.75, -0.25], kappa 2.
  const CertifiedReference reference =
      certifiedReference({2, 0, 0, 4}, request, LastResort::kNever);
  EXPECT_EQ(reference.values.trueSolution,
            (std::vector<std::optional<double>>{0.5, -0.5}));
  EXPECT_EQ(reference.values.hull[0], (ValueBounds{0, 1}));
  EXPECT_EQ(reference.values.hull[1], (ValueBounds{-0.75, -0.25}));
  EXPECT_EQ(reference.values.conditionEnclosure, (ValueBounds{2, 2}));
  // Means 1/2 and -1/2; variances (4/12) / 4 and (4/12) / 16.
  ASSERT_TRUE(reference.moments[0][1]);
  EXPECT_EQ(reference.moments[0][1]->mean, -0.5);
  EXPECT_EQ(reference.moments[0][1]->variance, 1.0 / 48.0);
}

TEST(CertifiedReferenceTest, RefusesMalformedRequests) {
  CertifiedInverseResult inverse =
      CertifiedInverse::compute(2, {2, 0, 0, 4}, std::stop_token());
  ReferenceRequest request;
  request.rhs = {1};
  request.intervalRhs = {{0, 1}, {0, 1}};
  try {
    computeCertifiedReference(*inverse.inverse, request, LastResort::kNever,
                              std::stop_token());
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "exact reference: the right-hand side holds 1 numbers, not 2");
  }
  std::stop_source source;
  source.request_stop();
  request.rhs = {1, 1};
  EXPECT_FALSE(computeCertifiedReference(*inverse.inverse, request,
                                         LastResort::kNever, source.get_token()));
}

// Correlated normal entries: the variance of x = A^-1 b is w^T R w, not
// what independent entries give, and the exact rows (which assume them) do
// not replace it. A^-1 = [1 -1; 0 1]: var x0 = v0 + v1 - 2 rho sqrt(v0 v1).
TEST(CertifiedReferenceTest, CorrelatedEntriesTakeTheirCovariance) {
  ReferenceRequest request;
  request.rhs = {1.0, 2.0};
  request.intervalRhs = {{0.0, 2.0}, {1.0, 3.0}};
  request.momentSets = {{normalEntryMoments(1.0, 4.0), normalEntryMoments(2.0, 1.0)},
                        {normalEntryMoments(0.0, 2.0), normalEntryMoments(0.0, 3.0)}};
  request.correlation = {1.0, 0.25, 0.25, 1.0};
  const std::vector<double> matrix = {1, 1, 0, 1};
  const CertifiedReference reference =
      certifiedReference(matrix, request, LastResort::kWhenAffordable);
  ASSERT_TRUE(reference.moments[0][0] && reference.moments[0][1]);
  EXPECT_EQ(reference.moments[0][0]->mean, -1.0);
  EXPECT_EQ(reference.moments[0][0]->variance, 4.0);  // 5 independent
  EXPECT_EQ(reference.moments[0][1]->variance, 1.0);
  ASSERT_TRUE(reference.moments[1][0]);
  // 5 - 2 (0.25) sqrt(6), rounded once.
  const double expected = static_cast<double>(5.0L - 0.5L * std::sqrt(6.0L));
  EXPECT_NEAR(reference.moments[1][0]->variance, expected, 4.5e-16);
  request.correlation.pop_back();
  EXPECT_THROW(certifiedReference(matrix, request, LastResort::kNever),
               std::invalid_argument);
}

}  // namespace
}  // namespace linprob
