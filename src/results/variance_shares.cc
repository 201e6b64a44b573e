#include "results/variance_shares.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "linear/ball.h"

namespace linprob {
namespace {

// Working precisions, in bits, tried in turn.
constexpr slong kPrecisions[] = {128, 512, 2048};

// The shares of one unknown at one precision; false when some share's
// error bound exceeds the limit.
bool sharesOfRow(arb_srcptr row, const BallVector& variances,
                 slong precision, UnknownShares& out) {
  const std::size_t n = variances.size();
  BallVector terms(n);
  Ball total;
  for (std::size_t j = 0; j < n; ++j) {
    arb_mul(terms[j], row + j, row + j, precision);
    arb_mul(terms[j], terms[j], variances[j], precision);
    arb_add(total.get(), total.get(), terms[j], precision);
  }
  out.contributionSd.assign(n, 0.0);
  Ball root;
  for (std::size_t j = 0; j < n; ++j) {
    arb_sqrtpos(root.get(), terms[j], precision);
    out.contributionSd[j] = roundedValue(root.get()).value;
  }
  out.shares.clear();
  if (arb_is_zero(total.get())) {
    out.state = ShareState::kNoSpread;
    return true;
  }
  out.state = ShareState::kUncertain;
  if (!arb_is_positive(total.get())) return false;
  out.shares.resize(n);
  Ball share;
  for (std::size_t j = 0; j < n; ++j) {
    arb_div(share.get(), terms[j], total.get(), precision);
    const RoundedValue rounded = roundedValue(share.get());
    if (!(rounded.error <= kShareErrorLimit)) {
      out.shares.clear();
      return false;
    }
    out.shares[j] = rounded.value;
  }
  out.state = ShareState::kCertified;
  return true;
}

}  // namespace

std::vector<UnknownShares> varianceShares(
    const InverseRows& inverse,
    const std::vector<boost::multiprecision::cpp_rational>& variances) {
  const unsigned n = inverse.size();
  if (variances.size() != n) {
    throw std::invalid_argument("variance shares: " +
                                std::to_string(variances.size()) +
                                " variances, not " + std::to_string(n));
  }
  std::vector<UnknownShares> result(n);
  std::vector<unsigned> pending(n);
  for (unsigned i = 0; i < n; ++i) pending[i] = i;
  BallVector row(n);
  BallVector sigma2(n);
  for (const slong precision : kPrecisions) {
    for (unsigned j = 0; j < n; ++j) {
      setRational(sigma2[j], variances[j], precision);
    }
    std::vector<unsigned> uncertain;
    for (const unsigned i : pending) {
      inverse.row(i, precision, row.data());
      if (!sharesOfRow(row.data(), sigma2, precision, result[i])) {
        uncertain.push_back(i);
      }
    }
    pending.swap(uncertain);
    if (pending.empty()) break;
  }
  return result;
}

}  // namespace linprob
