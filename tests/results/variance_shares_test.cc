#include "results/variance_shares.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <stdexcept>
#include <stop_token>
#include <vector>

#include "support/exact_inverse_rows.h"

namespace linprob {
namespace {

using boost::multiprecision::cpp_rational;
using testing::rowsOf;

// A diagonal system: x_i = b_i / d_i depends on its own entry alone, so
// each share is 1 on the diagonal and 0 elsewhere, and the contribution is
// sigma_i / |d_i|; an unknown whose entry has no variance has no spread.
TEST(VarianceShares, DiagonalSystemsShareNothing) {
  const auto rows = rowsOf(3, {2, 0, 0, 0, -4, 0, 0, 0, 0.5});
  const std::vector<UnknownShares> shares =
      varianceShares(*rows, {cpp_rational(9), cpp_rational(0), cpp_rational(1, 4)});
  ASSERT_EQ(shares.size(), 3u);
  EXPECT_EQ(shares[0].state, ShareState::kCertified);
  EXPECT_EQ(shares[0].shares, (std::vector<double>{1, 0, 0}));
  EXPECT_EQ(shares[0].contributionSd, (std::vector<double>{1.5, 0, 0}));
  EXPECT_EQ(shares[1].state, ShareState::kNoSpread);
  EXPECT_TRUE(shares[1].shares.empty());
  EXPECT_EQ(shares[1].contributionSd, (std::vector<double>{0, 0, 0}));
  EXPECT_EQ(shares[2].shares, (std::vector<double>{0, 0, 1}));
  EXPECT_EQ(shares[2].contributionSd, (std::vector<double>{0, 0, 1}));
}

// A full 3 x 3 system against its inverse worked out in exact rationals:
// A = [[2, 1, 0], [1, 3, 1], [0, 1, 4]], det 18, adj(A) row 0 = (11, -4, 1).
TEST(VarianceShares, MatchExactFractionsOfTheVariance) {
  const auto rows = rowsOf(3, {2, 1, 0, 1, 3, 1, 0, 1, 4});
  const std::vector<cpp_rational> variances = {cpp_rational(1, 3),
                                               cpp_rational(2),
                                               cpp_rational(5, 7)};
  const std::vector<UnknownShares> shares = varianceShares(*rows, variances);
  const int adjugate[3] = {11, -4, 1};
  cpp_rational total = 0;
  for (int j = 0; j < 3; ++j) total += adjugate[j] * adjugate[j] * variances[j];
  double sum = 0.0;
  for (int j = 0; j < 3; ++j) {
    const cpp_rational exact = adjugate[j] * adjugate[j] * variances[j] / total;
    EXPECT_NEAR(shares[0].shares[j], static_cast<double>(exact), 1e-16) << j;
    EXPECT_NEAR(shares[0].contributionSd[j],
                std::abs(adjugate[j]) / 18.0 *
                    std::sqrt(static_cast<double>(variances[j])),
                1e-16);
    sum += shares[0].shares[j];
  }
  EXPECT_NEAR(sum, 1.0, 1e-15);
  // The certified enclosure, which serves beyond the exact rows, gives the
  // same shares within their 1e-12.
  const std::vector<UnknownShares> certified = varianceShares(
      *testing::certifiedRowsOf(3, {2, 1, 0, 1, 3, 1, 0, 1, 4}), variances);
  for (std::size_t i = 0; i < 3; ++i) {
    ASSERT_EQ(certified[i].state, ShareState::kCertified) << i;
    for (int j = 0; j < 3; ++j) {
      EXPECT_NEAR(certified[i].shares[j], shares[i].shares[j], 1e-12);
    }
  }
  try {
    varianceShares(*rows, {cpp_rational(1)});
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "variance shares: 1 variances, not 3");
  }
}

// Several sets of variances at once, their rows shared out over threads:
// each set's shares are those it gets alone, bit for bit; a stop requested
// before skips every row.
TEST(VarianceShares, SetsAtOnceAsEachAlone) {
  const unsigned n = 150;  // enough rows for the threads
  std::mt19937_64 random(9);
  std::uniform_real_distribution<double> entry(-1.0, 1.0);
  std::vector<double> matrix(n * n);
  for (unsigned i = 0; i < n; ++i) {
    for (unsigned j = 0; j < n; ++j) {
      matrix[i * n + j] = i == j ? 4.0 * n : entry(random);
    }
  }
  const auto rows = testing::certifiedRowsOf(n, matrix);
  std::vector<std::vector<cpp_rational>> sets(3);
  for (unsigned j = 0; j < n; ++j) {
    sets[0].push_back(cpp_rational(j + 1, 7));
    sets[1].push_back(j % 3 == 0 ? cpp_rational(0) : cpp_rational(2));
    sets[2].push_back(cpp_rational(1, j + 2));
  }
  const auto together = varianceSharesOfEach(*rows, sets);
  ASSERT_EQ(together.size(), 3u);
  for (std::size_t s = 0; s < sets.size(); ++s) {
    const std::vector<UnknownShares> alone = varianceShares(*rows, sets[s]);
    for (unsigned i = 0; i < n; ++i) {
      ASSERT_EQ(together[s][i].state, alone[i].state) << s << " " << i;
      ASSERT_EQ(together[s][i].shares, alone[i].shares) << s << " " << i;
      ASSERT_EQ(together[s][i].contributionSd, alone[i].contributionSd);
    }
  }
  std::stop_source stop;
  stop.request_stop();
  const auto stopped = varianceSharesOfEach(*rows, sets, stop.get_token());
  for (const UnknownShares& unknown : stopped[0]) {
    EXPECT_TRUE(unknown.contributionSd.empty());
  }
}

}  // namespace
}  // namespace linprob
