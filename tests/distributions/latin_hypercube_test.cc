#include "distributions/latin_hypercube.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace linprob {
namespace {

TEST(LatinHypercube, EveryStratumHoldsOnePointInEveryDimension) {
  for (const std::uint64_t n : {1ULL, 2ULL, 3ULL, 5ULL, 1000ULL, 1024ULL,
                                1025ULL, 40000ULL}) {
    const LatinHypercube design(3, n, 17);
    for (unsigned r = 0; r < 2; ++r) {
      for (unsigned d = 0; d < 3; ++d) {
        std::vector<double> x(n);
        design.fill(r, d, 0, x.size(), x.data());
        std::vector<int> hits(n, 0);
        for (std::uint64_t i = 0; i < n; ++i) {
          const std::uint64_t k = design.stratum(r, d, i);
          ASSERT_LT(k, n);
          ++hits[k];
          // The point lies inside its stratum, and inside (0, 1).
          ASSERT_GT(x[i], 0.0);
          ASSERT_LT(x[i], 1.0);
          ASSERT_EQ(static_cast<std::uint64_t>(
                        std::floor(x[i] * static_cast<double>(n))),
                    k)
              << n << " " << i;
        }
        for (std::uint64_t k = 0; k < n; ++k) ASSERT_EQ(hits[k], 1) << n;
        // Any block on its own gives the same points.
        std::vector<double> tail(n / 2 + 1);
        design.fill(r, d, n - tail.size(), tail.size(), tail.data());
        for (std::size_t s = 0; s < tail.size(); ++s) {
          ASSERT_EQ(tail[s], x[n - tail.size() + s]);
        }
      }
    }
  }
}

TEST(LatinHypercube, EachPointsStratumIsUniformAndEmptyDesignsFail) {
  // Point 0's stratum among 10 over 5000 replicates: about 500 each.
  const LatinHypercube design(1, 10, 11);
  std::vector<int> hits(10, 0);
  for (unsigned r = 0; r < 5000; ++r) ++hits[design.stratum(r, 0, 0)];
  for (const int count : hits) {
    EXPECT_GT(count, 415);
    EXPECT_LT(count, 585);
  }
  EXPECT_THROW(LatinHypercube(0, 4, 1), std::invalid_argument);
  try {
    LatinHypercube(2, 0, 1);
    ADD_FAILURE();
  } catch (const std::invalid_argument& error) {
    EXPECT_STREQ(error.what(), "latin hypercube: no points");
  }
}

}  // namespace
}  // namespace linprob
