// Closed forms of distribution functions, in exact rational arithmetic, for
// checking the continuous truth: the Irwin-Hall law (a sum of m independent
// uniforms on [0, 1]) and the sum of two independent symmetric triangular
// laws, each on [-a, a] and [-b, b] (by Simpson's rule on the pieces of the
// convolution integral, where the integrand is a cubic and the rule exact).
// Also the laws themselves, built from plain doubles, and a check that a
// ball encloses an exact value.
#ifndef LINPROB_TESTS_SUPPORT_CLOSED_FORM_CDF_H_
#define LINPROB_TESTS_SUPPORT_CLOSED_FORM_CDF_H_

#include <algorithm>
#include <vector>

#include <boost/multiprecision/cpp_int.hpp>
#include <gtest/gtest.h>

#include "distributions/sum_law.h"
#include "linear/ball.h"
#include "linear/dyadic_form.h"
#include "linear/rational_rounding.h"

namespace linprob::testing {

using Rational = boost::multiprecision::cpp_rational;

inline double nearest(const Rational& x) {
  return roundToDouble(x, RoundingDirection::kToNearest);
}

// P(U_1 + ... + U_m <= x) = (1/m!) sum_{k <= x} (-1)^k C(m, k) (x - k)^m.
inline Rational irwinHallCdf(unsigned m, const Rational& x) {
  if (x <= 0) return 0;
  if (x >= m) return 1;
  Rational sum = 0;
  boost::multiprecision::cpp_int binomial = 1;  // C(m, k)
  boost::multiprecision::cpp_int factorial = 1;
  for (unsigned k = 1; k <= m; ++k) factorial *= k;
  for (unsigned k = 0; k <= m && x > k; ++k) {
    Rational term = binomial;
    for (unsigned p = 0; p < m; ++p) term *= x - k;
    sum += k % 2 == 0 ? term : Rational(-term);
    binomial = binomial * (m - k) / (k + 1);
  }
  return sum / Rational(factorial);
}

// The symmetric triangular law on [-b, b]: its density and its cdf.
inline Rational triangularDensity(const Rational& b, const Rational& t) {
  const Rational distance = t < 0 ? Rational(-t) : t;
  return distance >= b ? Rational(0) : (b - distance) / (b * b);
}
inline Rational triangularCdf(const Rational& b, const Rational& s) {
  if (s <= -b) return 0;
  if (s >= b) return 1;
  if (s <= 0) return (s + b) * (s + b) / (2 * b * b);
  return 1 - (b - s) * (b - s) / (2 * b * b);
}

// P(T_a + T_b <= x) = integral of f_a(t) F_b(x - t) over [-a, a].
inline Rational twoTriangularCdf(const Rational& a, const Rational& b,
                                 const Rational& x) {
  std::vector<Rational> cuts = {-a, Rational(0), a, x - b, x, x + b};
  std::sort(cuts.begin(), cuts.end());
  Rational sum = 0;
  for (std::size_t c = 0; c + 1 < cuts.size(); ++c) {
    const Rational u = std::max(cuts[c], Rational(-a));
    const Rational v = std::min(cuts[c + 1], a);
    if (!(u < v)) continue;
    const auto g = [&](const Rational& t) {
      return triangularDensity(a, t) * triangularCdf(b, x - t);
    };
    const Rational middle = (u + v) / 2;
    sum += (v - u) / 6 * (g(u) + 4 * g(middle) + g(v));
  }
  return sum;
}


// The exact value of a double, for the closed forms' arguments.
inline Rational exactly(double x) { return exactRationalOf(x); }

inline BallVector ballsOf(const std::vector<double>& values) {
  BallVector balls(values.size());
  for (std::size_t k = 0; k < values.size(); ++k) arb_set_d(balls[k], values[k]);
  return balls;
}

// Whether `ball` holds `exact` (taken at 600 bits) and is at most `width`
// wide.
inline ::testing::AssertionResult encloses(arb_srcptr ball,
                                           const Rational& exact,
                                           double width) {
  Ball truth;
  setRational(truth.get(), exact, 600);
  if (!arb_contains(ball, truth.get())) {
    return ::testing::AssertionFailure()
           << arb_get_str(ball, 30, 0) << " misses " << exact;
  }
  if (!(mag_get_d(arb_radref(ball)) <= width)) {
    return ::testing::AssertionFailure()
           << arb_get_str(ball, 30, 0) << " wider than " << width;
  }
  return ::testing::AssertionSuccess();
}

// The law of sum_j row[j] b_j for doubles.
inline SumLaw lawOf(EntryShape shape, const std::vector<double>& row,
                    const std::vector<double>& pairs, slong precision = 128) {
  return sumLaw(shape, ballsOf(row).data(), pairs, precision);
}

// `m` copies of the pair (p, q).
inline std::vector<double> repeatedPairs(unsigned m, double p, double q) {
  std::vector<double> pairs;
  for (unsigned j = 0; j < m; ++j) {
    pairs.push_back(p);
    pairs.push_back(q);
  }
  return pairs;
}

}  // namespace linprob::testing

#endif  // LINPROB_TESTS_SUPPORT_CLOSED_FORM_CDF_H_
