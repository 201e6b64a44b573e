#include "results/correlated_shares.h"

#include <arb_mat.h>

#include <stdexcept>
#include <string>
#include <utility>

#include "linear/ball.h"

namespace linprob {
namespace {

using boost::multiprecision::cpp_rational;

// Working precisions, in bits, tried in turn.
constexpr slong kPrecisions[] = {128, 512, 2048};

// An Arb matrix of balls, owned by value.
class BallMatrix {
 public:
  BallMatrix(slong rows, slong columns) {
    arb_mat_init(matrix_, rows, columns);
  }
  BallMatrix(const BallMatrix&) = delete;
  BallMatrix& operator=(const BallMatrix&) = delete;
  ~BallMatrix() { arb_mat_clear(matrix_); }
  arb_mat_struct* get() { return matrix_; }
  arb_ptr at(slong i, slong j) { return arb_mat_entry(matrix_, i, j); }

 private:
  arb_mat_t matrix_;
};

// One unknown's shares from its terms: the numerator of each entry's share
// and the standard deviation it contributes, over the variance `total`;
// false when some share's error bound exceeds the limit.
bool sharesOf(const BallVector& numerators, const BallVector& sds,
              const arb_t total, slong precision, UnknownShares& out) {
  out.contributionSd.assign(numerators.size(), 0.0);
  for (std::size_t j = 0; j < numerators.size(); ++j) {
    out.contributionSd[j] = roundedValue(sds[j]).value;
  }
  return sharesOfTerms(numerators, total, precision, out);
}

// Every share at one precision; false when one is not certified or the
// computation was stopped (`stopped` says which).
bool sharesAt(const InverseRows& inverse,
              const std::vector<cpp_rational>& variances,
              const std::vector<double>& correlation, slong precision,
              const std::stop_token& stop, CorrelatedShares& out,
              bool& stopped) {
  const auto n = static_cast<slong>(inverse.size());
  BallVector sd(variances.size());
  for (slong j = 0; j < n; ++j) {
    setRational(sd[j], variances[j], precision);
    arb_sqrtpos(sd[j], sd[j], precision);
  }
  // W: row i the weights w_j = a_ij sd_j of unknown i.
  BallMatrix w(n, n);
  BallVector row(variances.size());
  for (slong i = 0; i < n; ++i) {
    if (stop.stop_requested()) {
      stopped = true;
      return false;
    }
    inverse.row(static_cast<unsigned>(i), precision, row.data());
    for (slong j = 0; j < n; ++j) arb_mul(w.at(i, j), row[j], sd[j], precision);
  }
  BallMatrix r(n, n);
  for (slong i = 0; i < n; ++i) {
    for (slong j = 0; j < n; ++j) arb_set_d(r.at(i, j), correlation[i * n + j]);
  }
  // Row i of W R is (R w_i)^T, R being symmetric.
  BallMatrix rw(n, n);
  arb_mat_mul(rw.get(), w.get(), r.get(), precision);
  // The diagonal of R^-1, where R is certified positive definite.
  BallMatrix inverseR(n, n);
  const bool independent =
      arb_mat_spd_inv(inverseR.get(), r.get(), precision) != 0;
  out.full.assign(static_cast<std::size_t>(n), UnknownShares{});
  if (independent) {
    out.independent.emplace(static_cast<std::size_t>(n), UnknownShares{});
  } else {
    out.independent.reset();
  }
  bool certified = true;
  BallVector numerators(variances.size());
  BallVector sds(variances.size());
  Ball total;
  for (slong i = 0; i < n; ++i) {
    if (stop.stop_requested()) {
      stopped = true;
      return false;
    }
    arb_zero(total.get());
    for (slong j = 0; j < n; ++j) {
      arb_addmul(total.get(), rw.at(i, j), w.at(i, j), precision);
    }
    for (slong j = 0; j < n; ++j) {
      arb_sqr(numerators[j], rw.at(i, j), precision);
      arb_abs(sds[j], rw.at(i, j));
    }
    certified = sharesOf(numerators, sds, total.get(), precision,
                         out.full[static_cast<std::size_t>(i)]) &&
                certified;
    if (!independent) continue;
    for (slong j = 0; j < n; ++j) {
      // w_j^2 / (R^-1)_jj, and its root.
      arb_sqr(numerators[j], w.at(i, j), precision);
      arb_div(numerators[j], numerators[j], inverseR.at(j, j), precision);
      arb_sqrtpos(sds[j], numerators[j], precision);
    }
    certified = sharesOf(numerators, sds, total.get(), precision,
                         (*out.independent)[static_cast<std::size_t>(i)]) &&
                certified;
  }
  return certified;
}

}  // namespace

std::optional<CorrelatedShares> correlatedShares(
    const InverseRows& inverse, const std::vector<cpp_rational>& variances,
    const std::vector<double>& correlation, const std::stop_token& stop) {
  const std::size_t n = inverse.size();
  if (variances.size() != n || correlation.size() != n * n) {
    throw std::invalid_argument(
        "correlated shares: " + std::to_string(variances.size()) +
        " variances and " + std::to_string(correlation.size()) +
        " correlations for " + std::to_string(n) + " unknowns");
  }
  CorrelatedShares shares;
  for (const slong precision : kPrecisions) {
    bool stopped = false;
    const bool certified = sharesAt(inverse, variances, correlation, precision,
                                    stop, shares, stopped);
    if (stopped) return std::nullopt;
    if (certified) break;
  }
  return shares;
}

}  // namespace linprob
