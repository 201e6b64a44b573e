#include "linear/exact_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <random>
#include <stdexcept>
#include <vector>

#include "linear/dyadic_form.h"
#include "linear/rational_rounding.h"

namespace linprob {
namespace {

using boost::multiprecision::cpp_rational;

const std::vector<double> kMatrix = {4, 7, 2, 6};  // inverse [.6 -.7; -.2 .4]

TEST(ExactReference, SolutionHullAndConditionOfASmallSystem) {
  const auto reference =
      computeExactReference(2, kMatrix, {1, 1}, {{0, 2}, {1, 1}});
  ASSERT_TRUE(reference);
  // x = (-1/10, 1/5), each the nearest double.
  EXPECT_EQ(reference->trueSolution,
            (std::vector<std::optional<double>>{-0.1, 0.2}));
  // x1 = 0.6 b1 - 0.7 over b1 in [0, 2]: [-7/10, 1/2], outward.
  std::vector<ValueBounds> hull;
  for (const auto& bounds : reference->hull) {
    ASSERT_TRUE(bounds);
    hull.push_back(*bounds);
  }
  EXPECT_EQ(hull[0].lower, roundToDouble(cpp_rational(-7, 10),
                                         RoundingDirection::kDownward));
  EXPECT_LT(hull[0].lower, -0.7);  // -0.7 itself lies above -7/10
  EXPECT_EQ(hull[0].upper, 0.5);
  // x2 = -0.2 b1 + 0.4: [0, 2/5].
  EXPECT_EQ(hull[1].lower, 0.0);
  EXPECT_EQ(hull[1].upper, roundToDouble(cpp_rational(2, 5),
                                         RoundingDirection::kUpward));
  // ||A|| = 11, ||A^-1|| = 13/10: 143/10 rounded up (the double nearest
  // 14.3 lies above it) and down.
  EXPECT_EQ(reference->conditionNumber, 14.3);
  EXPECT_EQ(reference->conditionEnclosure.upper, 14.3);
  EXPECT_EQ(reference->conditionEnclosure.lower, std::nextafter(14.3, 0.0));
}

// The hull is the range over the corners of the box (x is linear in b), so
// the lowest and highest corner solutions, rounded outward, must match it.
TEST(ExactReference, HullMatchesTheExtremeCornersOfTheBox) {
  std::mt19937_64 random(3);
  std::uniform_real_distribution<double> value(-5.0, 5.0);
  const unsigned n = 3;
  std::vector<double> a(n * n);
  for (double& x : a) x = value(random);
  std::vector<double> rhs(n);
  std::vector<ValueBounds> box(n);
  for (unsigned j = 0; j < n; ++j) {
    rhs[j] = value(random);
    box[j] = {rhs[j] - 0.3, rhs[j] + 0.1 * (j + 1)};
  }
  const auto rows = ExactRows::compute(n, a, {0, 1, 2});
  ASSERT_TRUE(rows);
  const auto reference = computeExactReference(n, a, rhs, box);
  ASSERT_TRUE(reference);
  for (unsigned i = 0; i < n; ++i) {
    const auto entry = [&](unsigned j) {
      return cpp_rational(rows->numerator(i, j), rows->denominator());
    };
    std::vector<cpp_rational> corners;
    for (unsigned mask = 0; mask < (1u << n); ++mask) {
      cpp_rational x = 0;
      for (unsigned j = 0; j < n; ++j) {
        const double b = (mask >> j & 1) != 0 ? box[j].upper : box[j].lower;
        x += entry(j) * exactRationalOf(b);
      }
      corners.push_back(x);
    }
    const auto [low, high] = std::minmax_element(corners.begin(), corners.end());
    ASSERT_TRUE(reference->hull[i]);
    EXPECT_EQ(reference->hull[i]->lower,
              roundToDouble(*low, RoundingDirection::kDownward));
    EXPECT_EQ(reference->hull[i]->upper,
              roundToDouble(*high, RoundingDirection::kUpward));
    cpp_rational x = 0;
    for (unsigned j = 0; j < n; ++j) x += entry(j) * exactRationalOf(rhs[j]);
    EXPECT_EQ(reference->trueSolution[i],
              roundToDouble(x, RoundingDirection::kToNearest));
  }
}

TEST(ExactReference, SingularSystemHasNoReferenceAndBadInputIsRefused) {
  EXPECT_FALSE(computeExactReference(2, {1, 2, 2, 4}, {1, 1}, {{0, 1}, {0, 1}}));
  EXPECT_FALSE(computeExactReference(2, {0, 0, 1, 4}, {1, 1}, {{0, 1}, {0, 1}}));
  try {
    computeExactReference(2, kMatrix, {1, 1}, {{0, 1}, {2, 1}});
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(),
                 "exact reference: interval 1 has its lower bound above its "
                 "upper bound");
  }
}

}  // namespace
}  // namespace linprob
