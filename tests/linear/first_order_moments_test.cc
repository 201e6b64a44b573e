#include "linear/first_order_moments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "linear/linear_system.h"
#include "linear/pivot_mode.h"

namespace linprob {
namespace {

// A 2 x 2 system against the closed forms computed here from the explicit
// inverse, under every pivoting mode (column pivoting puts the unknowns in
// another order): var(x_i) = sum_k M_ik^2 (v_k + sum_j V_kj x_j^2) and the
// second-order mean x_i + sum_k M_ik sum_l M_lk V_kl x_l, M = A0^-1.
TEST(FirstOrderMomentsTest, MatchTheClosedFormsByUnknownUnderEveryMode) {
  const std::vector<double> a = {1.0, 4.0, 2.0, 3.0};
  const std::vector<NormalParameters> rhs = {{1.0, 0.01}, {2.0, 0.04}};
  const std::vector<NormalParameters> matrix = {
      {1.0, 0.001}, {4.0, 0.002}, {2.0, 0.003}, {3.0, 0.004}};
  const double det = a[0] * a[3] - a[1] * a[2];
  const double m[2][2] = {{a[3] / det, -a[1] / det}, {-a[2] / det, a[0] / det}};
  const double x[2] = {m[0][0] * 1.0 + m[0][1] * 2.0,
                       m[1][0] * 1.0 + m[1][1] * 2.0};
  for (const PivotMode& mode : kPivotModes) {
    LinearSystem mean = LinearSystem::fromRows(2, a);
    mean.eliminate(mode);
    const FirstOrderMoments moments = firstOrderMoments(mean, rhs, matrix);
    for (unsigned p = 0; p < 2; ++p) {
      const unsigned i = mean.columnOrder()[p];
      double variance = 0.0;
      double shift = 0.0;
      for (unsigned k = 0; k < 2; ++k) {
        double equation = rhs[k].variance;
        double inner = 0.0;
        for (unsigned j = 0; j < 2; ++j) {
          equation += matrix[2 * k + j].variance * x[j] * x[j];
          inner += m[j][k] * matrix[2 * k + j].variance * x[j];
        }
        variance += m[i][k] * m[i][k] * equation;
        shift += m[i][k] * inner;
      }
      EXPECT_NEAR(moments.normal[p].mean, x[i], 1e-15) << mode.label;
      EXPECT_NEAR(moments.normal[p].variance, variance, 1e-15) << mode.label;
      EXPECT_NEAR(moments.secondOrderMean[p], x[i] + shift, 1e-15)
          << mode.label;
    }
  }
}

}  // namespace
}  // namespace linprob
