#include "linear/exact_inverse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "linear/dyadic_form.h"

namespace linprob {
namespace {

using boost::multiprecision::cpp_int;
using boost::multiprecision::cpp_rational;

// Checks A A^-1 = I exactly, in integers: with A = I 2^e (one exponent for
// the whole matrix) and A^-1 = N / D, sum_k I_ik N_kj = D 2^-e [i == j].
void expectExactInverse(unsigned n, const std::vector<double>& a,
                        const ExactInverse& inverse) {
  ASSERT_EQ(inverse.size(), n);
  ASSERT_GT(inverse.denominator(), 0);
  const DyadicVector integers = dyadicVectorOf(a);
  ASSERT_LE(integers.exponent, 0);  // the test matrices hold fractions
  const cpp_int diagonal =
      inverse.denominator() << static_cast<unsigned>(-integers.exponent);
  cpp_int sum;
  for (unsigned i = 0; i < n; ++i) {
    for (unsigned j = 0; j < n; ++j) {
      sum = 0;
      for (unsigned k = 0; k < n; ++k) {
        sum += integers.integers[i * n + k] * inverse.numerator(k, j);
      }
      ASSERT_EQ(sum, i == j ? diagonal : cpp_int(0)) << i << ", " << j;
    }
  }
}

std::string refusal(unsigned n, const std::vector<double>& a) {
  try {
    ExactInverse::compute(n, a);
  } catch (const std::invalid_argument& e) {
    return e.what();
  }
  return "";
}

TEST(ExactInverse, SmallMatricesGiveTheirExactInverse) {
  const std::vector<double> a = {4, 7, 2, 6};  // det 10
  const auto inverse = ExactInverse::compute(2, a);
  ASSERT_TRUE(inverse);
  EXPECT_EQ(inverse->entry(0, 0), cpp_rational(3, 5));
  EXPECT_EQ(inverse->entry(0, 1), cpp_rational(-7, 10));
  EXPECT_EQ(inverse->entry(1, 0), cpp_rational(-1, 5));
  EXPECT_EQ(inverse->entry(1, 1), cpp_rational(2, 5));

  // Zero diagonals need row exchanges; decimals are taken as the doubles
  // they are, not as the decimals.
  const std::vector<double> b = {0, 0.1, 2.5, 3, 0, -1, 0.5, 1e-3, 0};
  const auto inverseB = ExactInverse::compute(3, b);
  ASSERT_TRUE(inverseB);
  expectExactInverse(3, b, *inverseB);
}

TEST(ExactInverse, MixedMagnitudesAreInvertedExactly) {
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
  std::uniform_int_distribution<int> decade(-40, 40);
  for (unsigned n : {1u, 5u, 12u}) {
    std::vector<double> a(n * n);
    for (double& x : a) x = mantissa(random) * std::pow(10.0, decade(random));
    a[0] = 5e-324;  // a subnormal entry
    const auto inverse = ExactInverse::compute(n, a);
    ASSERT_TRUE(inverse);
    expectExactInverse(n, a, *inverse);
  }
}

TEST(ExactInverse, SingularMatricesHaveNoInverse) {
  EXPECT_FALSE(ExactInverse::compute(2, {1, 2, 2, 4}));
  EXPECT_FALSE(ExactInverse::compute(2, {1, 2, 0, 0}));  // zero row
  EXPECT_FALSE(ExactInverse::compute(2, {0, 2, 0, 4}));  // zero column
  // Third row = 2 first - second (exact in doubles), magnitudes far apart.
  EXPECT_FALSE(ExactInverse::compute(3, {0x1p40, 0.5, -3,  //
                                         0.25, 0x1p-40, 7,  //
                                         0x1p41 - 0.25, 1 - 0x1p-40, -13}));
  // Nearly singular is not singular: det = 2^-100.
  const std::vector<double> nearly = {1, 1, 1, 1 + 0x1p-52};
  const auto inverse = ExactInverse::compute(2, nearly);
  ASSERT_TRUE(inverse);
  expectExactInverse(2, nearly, *inverse);
}

TEST(ExactInverse, RefusesAMisshapenOrNonFiniteMatrix) {
  EXPECT_EQ(refusal(2, {1, 2, 3}),
            "exact inverse: the matrix holds 3 numbers, not 4");
  EXPECT_EQ(refusal(2, {1, 2, 3, std::numeric_limits<double>::infinity()}),
            "exact inverse: matrix entry 3 is not finite");
}

}  // namespace
}  // namespace linprob
