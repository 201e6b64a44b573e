// Variance shares: which right-hand-side entry drives the spread of each
// unknown. With the entries b_j independent of variances sigma_j^2,
// Var(x_i) = sum_k (A^-1)ik^2 sigma_k^2, and entry j's share of it is
//
//   S_ij = (A^-1)ij^2 sigma_j^2 / sum_k (A^-1)ik^2 sigma_k^2,
//
// its standard deviation alone contributionSd_ij = |(A^-1)ij| sigma_j. For a
// linear map of independent inputs S_ij is both the first-order and the
// total Sobol index of entry j (there is no interaction).
//
// Computed in Arb from the rows of A^-1 (linear/inverse_rows.h) and the
// exact variances, at rising precision until every share's error bound is
// at most kShareErrorLimit; an unknown whose variance is exactly 0 has no
// shares (kNoSpread), one that the precision ladder cannot certify none
// either (kUncertain). contributionSd is always given (to about 1e-15
// relative). Unknowns and entries are in input order.
#ifndef LINPROB_RESULTS_VARIANCE_SHARES_H_
#define LINPROB_RESULTS_VARIANCE_SHARES_H_

#include <stop_token>
#include <vector>

#include <boost/multiprecision/cpp_int.hpp>

#include "linear/ball.h"
#include "linear/inverse_rows.h"

namespace linprob {

inline constexpr double kShareErrorLimit = 1e-12;

enum class ShareState { kCertified, kNoSpread, kUncertain };

struct UnknownShares {
  ShareState state = ShareState::kCertified;
  std::vector<double> shares;          // by entry; empty unless kCertified
  std::vector<double> contributionSd;  // by entry
};

// out.shares and out.state from each entry's term of an unknown's variance
// `total` (their sum, or for correlated entries what results/
// correlated_shares.h says): term / total each, certified to
// kShareErrorLimit at `precision`; kNoSpread for a total of exactly 0.
// False when a share is not certified (out is then kUncertain).
bool sharesOfTerms(const BallVector& terms, const arb_t total,
                   slong precision, UnknownShares& out);

// One variance per entry (std::invalid_argument "variance shares: 3
// variances, not 4" when the count differs from the inverse's size).
std::vector<UnknownShares> varianceShares(
    const InverseRows& inverse,
    const std::vector<boost::multiprecision::cpp_rational>& variances);

// The shares of each set of variances, by set: the same values, each row of
// A^-1 read once for all sets, the rows on up to one thread per hardware
// thread (each ends before this returns, having released its Arb caches).
// `stop` is looked at before every row (a few milliseconds at 2,000
// unknowns); once it is requested the rows left are skipped and the result
// is incomplete: the caller must drop it.
std::vector<std::vector<UnknownShares>> varianceSharesOfEach(
    const InverseRows& inverse,
    const std::vector<std::vector<boost::multiprecision::cpp_rational>>&
        variances,
    const std::stop_token& stop = {});

}  // namespace linprob

#endif  // LINPROB_RESULTS_VARIANCE_SHARES_H_
