#include "linear/inverse_certificate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace linprob {
namespace {

constexpr std::size_t L = kBatchLanes;

// Lane l of a backward pass's state: an upper triangle U (the pivots on
// the diagonal) and the columns Z it is applied to. The lane's inverse is
// X = B Z, computed as the pass computes it.
struct Lane {
  std::vector<double> u;  // u[c * n + r]
  std::vector<double> z;  // z[j * n + r]
};

struct Decided {
  double inverseNorm;  // max_r sum_j |X_rj|, as computed
  double forward;      // max_r sum_j |Z_rj|
  double whole;        // the magnitudes of B applied to those row sums
};

Decided backward(unsigned n, const Lane& lane) {
  std::vector<double> x = lane.z;
  std::vector<double> y(n);
  for (unsigned r = 0; r < n; ++r) {
    for (unsigned j = 0; j < n; ++j) y[r] += std::fabs(x[j * n + r]);
  }
  Decided decided{0.0, 0.0, 0.0};
  for (double v : y) decided.forward = std::max(decided.forward, v);
  for (unsigned k = n; k-- > 0;) {
    const double pivot = lane.u[k * n + k];
    for (unsigned t = 0; t < k; ++t) {
      const double g = -lane.u[k * n + t] / pivot;
      for (unsigned j = 0; j < n; ++j) {
        const double product = x[j * n + k] * g;
        x[j * n + t] = product + x[j * n + t];
      }
      const double product = y[k] * std::fabs(g);
      y[t] = product + y[t];
    }
    for (unsigned j = 0; j < n; ++j) x[j * n + k] = x[j * n + k] / pivot;
    y[k] = y[k] / std::fabs(pivot);
  }
  for (unsigned r = 0; r < n; ++r) {
    double row = 0.0;
    for (unsigned j = 0; j < n; ++j) row += std::fabs(x[j * n + r]);
    decided.inverseNorm = std::max(decided.inverseNorm, row);
    decided.whole = std::max(decided.whole, y[r]);
  }
  return decided;
}

// Whether the certificate keeps each lane within mostCondition[l] (A's
// norm taken as 1).
std::vector<bool> certify(unsigned n, const std::vector<Lane>& lanes,
                          const std::vector<double>& mostCondition) {
  std::vector<double> columns(std::size_t{n} * n * L);
  std::vector<double> units((std::size_t{n} + 1) * n * L);
  std::vector<double> factors(std::size_t{n} * L);
  FirstBound first;
  std::vector<bool> within;
  for (std::size_t l = 0; l < L; ++l) {
    for (std::size_t e = 0; e < std::size_t{n} * n; ++e) {
      columns[e * L + l] = lanes[l].u[e];
    }
    const Decided decided = backward(n, lanes[l]);
    first.normA[l] = 1.0;
    first.forward[l] = decided.forward;
    first.whole[l] = decided.whole;
  }
  // One limit at a time: lane l is read for mostCondition[l].
  for (std::size_t l = 0; l < L; ++l) {
    std::int64_t result[L];
    certifyConditions(n, columns.data(), units.data(), factors.data(), first,
                      mostCondition[l], result);
    within.push_back(result[l] != 0);
  }
  return within;
}

// Never within a limit the computed inverse exceeds, for upper triangles
// whose entries above the diagonal are as large as the pivots (at n = 30
// the first bound is about a thousand times the inverse's norm); within a
// limit a thousand times that norm.
TEST(InverseCertificateTest, BoundsTheComputedInverseAndDecidesWellConditioned) {
  std::mt19937_64 random(3);
  std::uniform_real_distribution<double> entry(-1.0, 1.0);
  for (unsigned n : {1u, 2u, 7u, 30u}) {
    std::vector<Lane> lanes(L);
    std::vector<double> norms;
    for (Lane& lane : lanes) {
      lane.u.assign(std::size_t{n} * n, 0.0);
      lane.z.assign(std::size_t{n} * n, 0.0);
      for (unsigned c = 0; c < n; ++c) {
        for (unsigned r = 0; r <= c; ++r) lane.u[c * n + r] = entry(random);
        lane.u[c * n + c] += lane.u[c * n + c] < 0 ? -1.0 : 1.0;
      }
      for (double& v : lane.z) v = entry(random);
      norms.push_back(backward(n, lane).inverseNorm);
    }
    std::vector<double> below, wide;
    for (double norm : norms) {
      below.push_back(norm * (1.0 - 1e-12));
      wide.push_back(norm * 1e3);
    }
    const std::vector<bool> withinBelow = certify(n, lanes, below);
    const std::vector<bool> withinWide = certify(n, lanes, wide);
    for (std::size_t l = 0; l < L; ++l) {
      EXPECT_FALSE(withinBelow[l]) << "n " << n << " lane " << l;
      EXPECT_TRUE(withinWide[l]) << "n " << n << " lane " << l;
    }
  }
}

}  // namespace
}  // namespace linprob
