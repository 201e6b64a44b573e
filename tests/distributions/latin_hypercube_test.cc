#include "distributions/latin_hypercube.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
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
      }
    }
  }
}

TEST(LatinHypercube, BlocksAreReproducibleAndDesignsIndependent) {
  const LatinHypercube design(2, 3000, 5);
  std::vector<double> whole(3000);
  design.fill(3, 1, 0, whole.size(), whole.data());
  std::vector<double> part(100);
  design.fill(3, 1, 2900, part.size(), part.data());
  for (std::size_t s = 0; s < part.size(); ++s) {
    ASSERT_EQ(part[s], whole[2900 + s]);
  }
  // Other replicates, dimensions and seeds pair the strata differently.
  int same = 0;
  for (std::uint64_t i = 0; i < 3000; ++i) {
    same += design.stratum(3, 1, i) == design.stratum(4, 1, i);
    same += design.stratum(3, 1, i) == design.stratum(3, 0, i);
    same += design.stratum(3, 1, i) == LatinHypercube(2, 3000, 6).stratum(3, 1, i);
  }
  EXPECT_LT(same, 20);
}

TEST(LatinHypercube, EachPointsStratumIsUniform) {
  // Point 0's stratum among 10 over 5000 replicates: about 500 each.
  const LatinHypercube design(1, 10, 11);
  std::vector<int> hits(10, 0);
  for (unsigned r = 0; r < 5000; ++r) ++hits[design.stratum(r, 0, 0)];
  for (const int count : hits) {
    EXPECT_GT(count, 415);
    EXPECT_LT(count, 585);
  }
}

TEST(LatinHypercube, RejectsAnEmptyDesign) {
  EXPECT_THROW(
      {
        try {
          LatinHypercube(0, 4, 1);
        } catch (const std::invalid_argument& error) {
          EXPECT_EQ(std::string(error.what()), "latin hypercube: 0 dimensions");
          throw;
        }
      },
      std::invalid_argument);
  EXPECT_THROW(
      {
        try {
          LatinHypercube(2, 0, 1);
        } catch (const std::invalid_argument& error) {
          EXPECT_EQ(std::string(error.what()), "latin hypercube: no points");
          throw;
        }
      },
      std::invalid_argument);
}

}  // namespace
}  // namespace linprob
