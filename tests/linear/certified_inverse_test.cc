#include "linear/certified_inverse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <vector>

#include "linear/dyadic_form.h"
#include "linear/exact_rows.h"
#include "support/random_systems.h"

namespace linprob {
namespace {

using boost::multiprecision::cpp_rational;

CertifiedInverse certified(unsigned n, const std::vector<double>& matrix) {
  CertifiedInverseResult result =
      CertifiedInverse::compute(n, matrix, std::stop_token());
  EXPECT_EQ(result.status, Certification::kCertified);
  return std::move(*result.inverse);
}

// Every entry's enclosure holds the exact entry and is a few units in the
// last place wide at most, for a well and a badly conditioned matrix with
// entries over twelve decades.
TEST(CertifiedInverseTest, EnclosesTheExactInverseTightly) {
  for (const double kappa : {1.0, 1e12}) {
    const unsigned n = 12;
    const testing::RandomSystem system = testing::randomSystem(n, kappa, 12, 5);
    const CertifiedInverse inverse = certified(n, system.matrix);
    EXPECT_LE(inverse.residualBound(), 0x1p-80);
    std::vector<unsigned> every(n);
    std::iota(every.begin(), every.end(), 0u);
    const auto exact = ExactRows::compute(n, system.matrix, every);
    ASSERT_TRUE(exact);
    for (unsigned i = 0; i < n; ++i) {
      for (unsigned j = 0; j < n; ++j) {
        const cpp_rational value(exact->numerator(i, j), exact->denominator());
        const ValueBounds bounds = inverse.entry(i, j);
        EXPECT_LE(exactRationalOf(bounds.lower), value) << i << " " << j;
        EXPECT_GE(exactRationalOf(bounds.upper), value) << i << " " << j;
        // Outward rounding alone leaves one place; the enclosure adds far
        // less than another.
        EXPECT_LE(bounds.upper, std::nextafter(std::nextafter(bounds.lower, INFINITY), INFINITY));
      }
    }
  }
}

// A matrix whose inverse is made of doubles is inverted exactly: the
// residual vanishes and every enclosure is a single point.
TEST(CertifiedInverseTest, ADyadicInverseIsExact) {
  // Rows permuted and scaled by powers of two: A^-1 = [[0, 0.5, 0],
  // [0, 0, -0.25], [2, 0, 0]].
  const CertifiedInverse inverse = certified(3, {0, 0, 0.5, 2, 0, 0, 0, -4, 0});
  EXPECT_EQ(inverse.residualBound(), 0.0);
  EXPECT_EQ(inverse.entry(0, 1), (ValueBounds{0.5, 0.5}));
  EXPECT_EQ(inverse.entry(1, 2), (ValueBounds{-0.25, -0.25}));
  EXPECT_EQ(inverse.entry(2, 0), (ValueBounds{2, 2}));
  EXPECT_EQ(inverse.entry(1, 1), (ValueBounds{0, 0}));
  EXPECT_EQ(inverse.inverseNorm(), (ValueBounds{2, 2}));
}

TEST(CertifiedInverseTest, SingularMatricesAreNotCertified) {
  const std::stop_token none;
  EXPECT_EQ(CertifiedInverse::compute(2, {1, 2, 2, 4}, none).status,
            Certification::kUncertified);
  EXPECT_EQ(CertifiedInverse::compute(2, {1, 2, 0, 0}, none).status,
            Certification::kUncertified);
  // Rank n - 1 in exact arithmetic, though rounding hides it from the
  // elimination: the residual never shrinks below 1.
  const testing::RandomSystem system = testing::randomSystem(6, 1e30, 0, 9);
  EXPECT_NE(CertifiedInverse::compute(6, system.matrix, none).status,
            Certification::kCertified);
}

TEST(CertifiedInverseTest, RefusesMalformedMatrices) {
  const std::stop_token none;
  try {
    CertifiedInverse::compute(2, {1, 2, 3}, none);
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "certified inverse: the matrix holds 3 numbers, not 4");
  }
  try {
    CertifiedInverse::compute(2, {1, 2, NAN, 4}, none);
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "certified inverse: matrix entry 2 is not finite");
  }
}

TEST(CertifiedInverseTest, AStopRequestedEndsTheComputationAndItsRefinement) {
  const testing::RandomSystem system = testing::randomSystem(40, 1.0, 4, 2);
  std::stop_source source;
  source.request_stop();
  EXPECT_EQ(CertifiedInverse::compute(40, system.matrix, source.get_token()).status,
            Certification::kStopped);
  CertifiedInverse inverse = certified(40, system.matrix);
  EXPECT_EQ(inverse.refine(source.get_token()), Refinement::kStopped);
  // Without its working data an inverse cannot refine, but keeps its
  // enclosure.
  const ValueBounds before = inverse.entry(3, 4);
  inverse.releaseWorkingData();
  EXPECT_EQ(inverse.refine(std::stop_token()), Refinement::kStalled);
  EXPECT_EQ(inverse.entry(3, 4), before);
}

}  // namespace
}  // namespace linprob
