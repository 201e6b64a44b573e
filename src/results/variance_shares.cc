#include "results/variance_shares.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <stop_token>
#include <thread>
#include <utility>
#include <string>
#include <vector>

#include "base/thread_group.h"
#include "linear/ball.h"

namespace linprob {
namespace {

using boost::multiprecision::cpp_rational;

// Working precisions, in bits, tried in turn.
constexpr slong kPrecisions[] = {128, 512, 2048};
// Below this many unknowns a second thread costs more than it saves.
constexpr std::size_t kRowsPerThread = 64;

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
  return sharesOfTerms(terms, total.get(), precision, out);
}

}  // namespace

bool sharesOfTerms(const BallVector& terms, const arb_t total,
                   slong precision, UnknownShares& out) {
  const std::size_t n = terms.size();
  out.shares.clear();
  if (arb_is_zero(total)) {
    out.state = ShareState::kNoSpread;
    return true;
  }
  out.state = ShareState::kUncertain;
  if (!arb_is_positive(total)) return false;
  out.shares.resize(n);
  Ball share;
  for (std::size_t j = 0; j < n; ++j) {
    arb_div(share.get(), terms[j], total, precision);
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

std::vector<std::vector<UnknownShares>> varianceSharesOfEach(
    const InverseRows& inverse,
    const std::vector<std::vector<cpp_rational>>& variances,
    const std::stop_token& stop) {
  const unsigned n = inverse.size();
  for (const std::vector<cpp_rational>& set : variances) {
    if (set.size() != n) {
      throw std::invalid_argument("variance shares: " +
                                  std::to_string(set.size()) +
                                  " variances, not " + std::to_string(n));
    }
  }
  const std::size_t sets = variances.size();
  std::vector<std::vector<UnknownShares>> result(
      sets, std::vector<UnknownShares>(n));
  // By set, the unknowns still to certify at the next precision.
  std::vector<std::vector<unsigned>> pending(sets);
  for (std::size_t s = 0; s < sets; ++s) {
    pending[s].resize(n);
    for (unsigned i = 0; i < n; ++i) pending[s][i] = i;
  }
  for (const slong precision : kPrecisions) {
    std::vector<BallVector> sigma2;
    for (const std::vector<cpp_rational>& set : variances) {
      sigma2.emplace_back(n);
      for (unsigned j = 0; j < n; ++j) {
        setRational(sigma2.back()[j], set[j], precision);
      }
    }
    // The unknowns any set still needs, each row read once for all sets.
    std::vector<unsigned> rows;
    for (const std::vector<unsigned>& open : pending) {
      rows.insert(rows.end(), open.begin(), open.end());
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<std::vector<char>> wanted(sets, std::vector<char>(n, 0));
    for (std::size_t s = 0; s < sets; ++s) {
      for (const unsigned i : pending[s]) wanted[s][i] = 1;
    }
    std::vector<std::vector<char>> uncertain(sets, std::vector<char>(n, 0));
    // Each thread takes rows in turn and writes only their results.
    std::atomic<std::size_t> next{0};
    auto work = [&] {
      BallVector row(n);
      for (std::size_t k = next++; k < rows.size(); k = next++) {
        if (stop.stop_requested()) return;
        const unsigned i = rows[k];
        inverse.row(i, precision, row.data());
        for (std::size_t s = 0; s < sets; ++s) {
          if (wanted[s][i] &&
              !sharesOfRow(row.data(), sigma2[s], precision, result[s][i])) {
            uncertain[s][i] = 1;
          }
        }
      }
    };
    const std::size_t threads =
        n < kRowsPerThread
            ? 1
            : std::min<std::size_t>(
                  std::max(1u, std::thread::hardware_concurrency()),
                  rows.size() / kRowsPerThread + 1);
    if (threads <= 1) {
      work();
    } else {
      ThreadGroup group;
      for (std::size_t t = 0; t < threads; ++t) {
        group.start([&](const std::stop_token&) {
          work();
          releaseArbCaches();
        });
      }
      group.join();
    }
    bool anyOpen = false;
    for (std::size_t s = 0; s < sets; ++s) {
      pending[s].clear();
      for (unsigned i = 0; i < n; ++i) {
        if (uncertain[s][i]) pending[s].push_back(i);
      }
      anyOpen = anyOpen || !pending[s].empty();
    }
    if (!anyOpen || stop.stop_requested()) break;
  }
  return result;
}

std::vector<UnknownShares> varianceShares(
    const InverseRows& inverse, const std::vector<cpp_rational>& variances) {
  return std::move(varianceSharesOfEach(inverse, {variances}).front());
}

}  // namespace linprob
