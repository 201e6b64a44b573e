// Variance shares of correlated normal entries: b ~ N(mu, D R D), D the
// entries' standard deviations, R their correlation ("Correlation.txt").
// For unknown x_i = sum_j a_j b_j (a the row i of A^-1) and w_j = a_j sd_j,
// Var(x_i) = w^T R w, and entry j has two first-order indices (for a linear
// map of jointly normal entries they are also the total ones: there is no
// interaction):
//
//   full         S_ij = Var(E[x_i | b_j]) / Var(x_i) = (R w)_j^2 / Var(x_i),
//                which is corr(x_i, b_j)^2: entry j with what it has in
//                common with the other entries;
//   independent  S_ij^ind = w_j^2 / ((R^-1)_jj Var(x_i)): the part of b_j
//                independent of the other entries, whose variance is
//                sd_j^2 / (R^-1)_jj.
//
// (The full and independent indices of Mara and Tarantola, 2012, in their
// closed form for linear Gaussian models.) Where R = I both are the shares
// of variance_shares.h. The full indices need not add up to 1 (shared
// variance is counted once per entry that shares it), the independent ones
// add up to at most 1.
//
// Computed in Arb at rising precision until every share's error bound is
// at most kShareErrorLimit, as the shares of independent entries;
// contributionSd_ij is |(R w)_j| (the standard deviation of E[x_i | b_j])
// for the full indices and |w_j| / sqrt((R^-1)_jj) for the independent ones.
// The independent indices need R^-1: where R is singular, or too near it
// for a certified inverse, there are none.
#ifndef LINPROB_RESULTS_CORRELATED_SHARES_H_
#define LINPROB_RESULTS_CORRELATED_SHARES_H_

#include <boost/multiprecision/cpp_int.hpp>
#include <optional>
#include <stop_token>
#include <vector>

#include "linear/inverse_rows.h"
#include "results/variance_shares.h"

namespace linprob {

struct CorrelatedShares {
  std::vector<UnknownShares> full;                        // by unknown
  std::optional<std::vector<UnknownShares>> independent;  // by unknown
};

// The shares of entries of the given variances and correlation R (n x n,
// row-major, a correlation matrix as the start of the run checked it);
// nothing when `stop` was requested before they were done
// (std::invalid_argument when the sizes differ from the inverse's).
std::optional<CorrelatedShares> correlatedShares(
    const InverseRows& inverse,
    const std::vector<boost::multiprecision::cpp_rational>& variances,
    const std::vector<double>& correlation, const std::stop_token& stop = {});

}  // namespace linprob

#endif  // LINPROB_RESULTS_CORRELATED_SHARES_H_
