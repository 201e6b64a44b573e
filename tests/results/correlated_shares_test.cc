#include "results/correlated_shares.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stdexcept>
#include <vector>

#include "results/variance_shares.h"
#include "support/exact_inverse_rows.h"

namespace linprob {
namespace {

using boost::multiprecision::cpp_rational;
using testing::rowsOf;

// Without correlation both indices are the shares of independent entries.
TEST(CorrelatedShares, IdentityCorrelationGivesTheIndependentShares) {
  const auto rows = rowsOf(3, {2, 1, 0, 1, 3, 1, 0, 1, 4});
  const std::vector<cpp_rational> variances = {
      cpp_rational(1, 3), cpp_rational(2), cpp_rational(5, 7)};
  const std::vector<double> identity = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const std::vector<UnknownShares> plain = varianceShares(*rows, variances);
  const auto shares = correlatedShares(*rows, variances, identity);
  ASSERT_TRUE(shares && shares->independent);
  for (unsigned i = 0; i < 3; ++i) {
    for (const auto* list : {&shares->full, &*shares->independent}) {
      const UnknownShares& got = (*list)[i];
      ASSERT_EQ(got.state, ShareState::kCertified);
      for (unsigned j = 0; j < 3; ++j) {
        EXPECT_NEAR(got.shares[j], plain[i].shares[j], 1e-15);
        EXPECT_NEAR(got.contributionSd[j], plain[i].contributionSd[j], 1e-15);
      }
    }
  }
}

// The closed forms written with the covariance S = D R D itself:
// full (a^T S e_j)^2 / (S_jj Var), independent a_j^2 / ((S^-1)_jj Var).
TEST(CorrelatedShares, MatchTheClosedFormsOfTheCovariance) {
  const double m[4] = {2, 1, 1, 3};  // A^-1 = [[3, -1], [-1, 2]] / 5
  const auto rows = rowsOf(2, {m[0], m[1], m[2], m[3]});
  const double rho = 0.6;
  const double v[2] = {1.0, 4.0};
  const auto shares = correlatedShares(
      *rows, {cpp_rational(1), cpp_rational(4)}, {1, rho, rho, 1});
  ASSERT_TRUE(shares && shares->independent);
  const double inverse[2][2] = {{0.6, -0.2}, {-0.2, 0.4}};
  const double s[2][2] = {{v[0], rho * 2.0}, {rho * 2.0, v[1]}};
  const double det = s[0][0] * s[1][1] - s[0][1] * s[1][0];
  const double sInverseDiagonal[2] = {s[1][1] / det, s[0][0] / det};
  for (int i = 0; i < 2; ++i) {
    const double* a = inverse[i];
    double var = 0.0;
    for (int j = 0; j < 2; ++j) {
      for (int k = 0; k < 2; ++k) var += a[j] * s[j][k] * a[k];
    }
    for (int j = 0; j < 2; ++j) {
      const double covariance = a[0] * s[0][j] + a[1] * s[1][j];
      EXPECT_NEAR(shares->full[i].shares[j],
                  covariance * covariance / (s[j][j] * var), 1e-14);
      EXPECT_NEAR(shares->full[i].contributionSd[j],
                  std::abs(covariance) / std::sqrt(s[j][j]), 1e-14);
      EXPECT_NEAR((*shares->independent)[i].shares[j],
                  a[j] * a[j] / (sInverseDiagonal[j] * var), 1e-14);
    }
  }
}

// Against sampling: the full index is corr(x, b_j)^2, the independent one
// corr(x, r_j)^2 with r_j = b_j - E[b_j | the others], over 200,000
// correlated normal draws (standard error of each below 0.003).
TEST(CorrelatedShares, AgreeWithSampledCorrelations) {
  const unsigned n = 3;
  const std::vector<double> matrix = {4, 1, 0, 1, 3, -1, 2, 0, 5};
  const auto rows = rowsOf(n, matrix);
  const std::vector<double> r = {1, 0.7, -0.3, 0.7, 1, 0.2, -0.3, 0.2, 1};
  const std::vector<double> sd = {1.0, 2.0, 0.5};
  const auto shares = correlatedShares(
      *rows, {cpp_rational(1), cpp_rational(4), cpp_rational(1, 4)}, r);
  ASSERT_TRUE(shares && shares->independent);
  // R = L L^T by hand.
  double l[3][3] = {};
  for (unsigned i = 0; i < n; ++i) {
    for (unsigned j = 0; j <= i; ++j) {
      double sum = r[i * n + j];
      for (unsigned k = 0; k < j; ++k) sum -= l[i][k] * l[j][k];
      l[i][j] = i == j ? std::sqrt(sum) : sum / l[j][j];
    }
  }
  // x_0 = a . b for a the first row of A^-1 (solved for by Cramer's rule).
  const double det = 4 * (3 * 5 - 0) - 1 * (1 * 5 + 2) + 0;
  const double a[3] = {(3 * 5 - 0) / det, -(1 * 5 - 0) / det,
                       (1 * -1 - 0 * 3) / det};
  // Regression of b_j on the others: b_j - sum_k beta_jk b_k, with
  // beta_j. = -(S^-1)_jk / (S^-1)_jj; S^-1 from R^-1 by the adjugate.
  double ri[3][3];
  const double rdet = r[0] * (r[4] * r[8] - r[5] * r[7]) -
                      r[1] * (r[3] * r[8] - r[5] * r[6]) +
                      r[2] * (r[3] * r[7] - r[4] * r[6]);
  for (unsigned i = 0; i < n; ++i) {
    for (unsigned j = 0; j < n; ++j) {
      const unsigned r0 = (j + 1) % 3, r1 = (j + 2) % 3;
      const unsigned c0 = (i + 1) % 3, c1 = (i + 2) % 3;
      ri[i][j] =
          (r[r0 * n + c0] * r[r1 * n + c1] - r[r0 * n + c1] * r[r1 * n + c0]) /
          rdet;
    }
  }
  std::mt19937_64 engine(17);
  std::normal_distribution<double> normal;
  const int draws = 200000;
  double sx = 0, sxx = 0, sb[3] = {}, sbb[3] = {}, sxb[3] = {};
  double sr[3] = {}, srr[3] = {}, sxr[3] = {};
  for (int d = 0; d < draws; ++d) {
    double eps[3], b[3];
    for (double& e : eps) e = normal(engine);
    for (unsigned i = 0; i < n; ++i) {
      double z = 0;
      for (unsigned k = 0; k <= i; ++k) z += l[i][k] * eps[k];
      b[i] = sd[i] * z;
    }
    const double x = a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
    sx += x;
    sxx += x * x;
    for (unsigned j = 0; j < n; ++j) {
      // (S^-1)_jk = (R^-1)_jk / (sd_j sd_k).
      double residual = b[j];
      for (unsigned k = 0; k < n; ++k) {
        if (k != j) residual += ri[j][k] / ri[j][j] * sd[j] / sd[k] * b[k];
      }
      sb[j] += b[j];
      sbb[j] += b[j] * b[j];
      sxb[j] += x * b[j];
      sr[j] += residual;
      srr[j] += residual * residual;
      sxr[j] += x * residual;
    }
  }
  const auto squaredCorrelation = [&](double s1, double s11, double s2,
                                      double s22, double s12) {
    const double c = s12 / draws - s1 / draws * s2 / draws;
    return c * c /
           ((s11 / draws - s1 / draws * s1 / draws) *
            (s22 / draws - s2 / draws * s2 / draws));
  };
  for (unsigned j = 0; j < n; ++j) {
    EXPECT_NEAR(shares->full[0].shares[j],
                squaredCorrelation(sx, sxx, sb[j], sbb[j], sxb[j]), 0.01)
        << j;
    EXPECT_NEAR((*shares->independent)[0].shares[j],
                squaredCorrelation(sx, sxx, sr[j], srr[j], sxr[j]), 0.01)
        << j;
  }
}

// Entries that move together (R singular): each carries all of x = b_0 +
// b_1, and their independent parts are not defined; no spread stays none.
TEST(CorrelatedShares, SingularCorrelationHasNoIndependentIndices) {
  const auto rows = rowsOf(2, {0.5, -0.5, 0.5, 0.5});  // x_0 = b_0 + b_1
  const auto shares =
      correlatedShares(*rows, {cpp_rational(1), cpp_rational(1)}, {1, 1, 1, 1});
  ASSERT_TRUE(shares);
  EXPECT_FALSE(shares->independent);
  EXPECT_EQ(shares->full[0].shares, (std::vector<double>{1, 1}));
  EXPECT_EQ(shares->full[0].contributionSd, (std::vector<double>{2, 2}));
  // x_1 = b_1 - b_0 is 0 for every draw.
  EXPECT_EQ(shares->full[1].state, ShareState::kNoSpread);
  EXPECT_THROW(correlatedShares(*rows, {cpp_rational(1)}, {1, 1, 1, 1}),
               std::invalid_argument);
}

}  // namespace
}  // namespace linprob
