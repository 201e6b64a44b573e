#include "distributions/sobol_points.h"

#include <gtest/gtest.h>

#include <boost/random/sobol.hpp>

#include <algorithm>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace linprob {
namespace {

constexpr unsigned kDims = 6;
constexpr unsigned kLog2 = 10;

// The 32-digit bit reversal of i: point i of the van der Corput sequence.
std::uint32_t reversed(std::uint32_t i) {
  std::uint32_t r = 0;
  for (int b = 0; b < 32; ++b, i >>= 1) r = (r << 1) | (i & 1);
  return r;
}

TEST(SobolPoints, UnscrambledPointsAreBoostsSequence) {
  // The engine walks Gray-code order and skips point 0: its k-th vector
  // (k = 1, 2, ...) is point k ^ (k >> 1).
  const SobolPoints points(kDims, kLog2, 1);
  boost::random::sobol_engine<std::uint32_t, 32> engine(kDims);
  for (std::uint64_t k = 1; k < 4096; ++k) {
    const std::uint64_t index = k ^ (k >> 1);
    for (unsigned d = 0; d < kDims; ++d) {
      ASSERT_EQ(points.digits(d, index), engine()) << k << " " << d;
    }
  }
  for (std::uint32_t i = 0; i < 4096; ++i) {
    ASSERT_EQ(points.digits(0, i), reversed(i));
  }
}

// How many points of `coordinate` (as 64-digit fractions) fall in each box
// of 2^a x 2^b elementary intervals of dimensions d1 and d2, sorted.
template <typename Coordinate>
std::vector<int> boxCounts(Coordinate coordinate, unsigned d1, unsigned d2,
                           unsigned a, unsigned b, std::uint64_t points) {
  std::map<std::pair<std::uint64_t, std::uint64_t>, int> boxes;
  for (std::uint64_t i = 0; i < points; ++i) {
    const std::uint64_t x = a == 0 ? 0 : coordinate(d1, i) >> (64 - a);
    const std::uint64_t y = b == 0 ? 0 : coordinate(d2, i) >> (64 - b);
    ++boxes[{x, y}];
  }
  std::vector<int> counts;
  for (const auto& box : boxes) counts.push_back(box.second);
  // Empty boxes count too.
  counts.resize(std::size_t{1} << (a + b), 0);
  std::sort(counts.begin(), counts.end());
  return counts;
}

TEST(SobolPoints, ScramblingKeepsTheNetStratification) {
  const SobolPoints points(kDims, kLog2, 20240607);
  const std::uint64_t n = points.points();
  const auto plain = [&](unsigned d, std::uint64_t i) {
    return static_cast<std::uint64_t>(points.digits(d, i)) << 32;
  };
  for (unsigned r = 0; r < 2; ++r) {
    const auto scrambled = [&](unsigned d, std::uint64_t i) {
      return points.scrambled(r, d, i);
    };
    for (unsigned d = 0; d < kDims; ++d) {
      // One point in each of the 2^m intervals of every dimension.
      EXPECT_EQ(boxCounts(scrambled, d, d, kLog2, 0, n),
                std::vector<int>(n, 1));
    }
    // Dimensions 0 and 1 form a (0, m, 2)-net: one point in every
    // elementary box of volume 2^-m.
    for (unsigned a = 0; a <= kLog2; ++a) {
      EXPECT_EQ(boxCounts(plain, 0, 1, a, kLog2 - a, n),
                std::vector<int>(n, 1));
      EXPECT_EQ(boxCounts(scrambled, 0, 1, a, kLog2 - a, n),
                std::vector<int>(n, 1));
    }
    // Every pair: the scramble maps boxes onto boxes, so the counts of each
    // shape of box are those of the plain points (whatever the pair's t).
    for (unsigned d1 = 1; d1 < kDims; ++d1) {
      for (unsigned d2 = d1 + 1; d2 < kDims; ++d2) {
        for (unsigned a = 1; a < kLog2; a += 2) {
          EXPECT_EQ(boxCounts(scrambled, d1, d2, a, kLog2 - a, n),
                    boxCounts(plain, d1, d2, a, kLog2 - a, n))
              << d1 << " " << d2 << " " << a;
        }
      }
    }
  }
}

TEST(SobolPoints, BlocksAreReproducibleAndReplicatesIndependent) {
  const SobolPoints points(3, 12, 99);
  std::vector<double> whole(points.points());
  points.fill(1, 2, 0, whole.size(), whole.data());
  for (std::uint64_t first : {0ULL, 1ULL, 777ULL, 4000ULL}) {
    std::vector<double> part(96);
    points.fill(1, 2, first, part.size(), part.data());
    for (std::size_t s = 0; s < part.size(); ++s) {
      ASSERT_EQ(part[s], whole[first + s]);
    }
  }
  for (std::uint64_t i = 0; i < whole.size(); ++i) {
    ASSERT_GT(whole[i], 0.0);
    ASSERT_LT(whole[i], 1.0);
    ASSERT_EQ(whole[i] * 0x1p52 - 0.5,
              static_cast<double>(points.scrambled(1, 2, i) >> 12));
  }
  const std::uint64_t x = points.scrambled(1, 2, 5);
  EXPECT_NE(points.scrambled(0, 2, 5), x);
  EXPECT_NE(points.scrambled(1, 1, 5), x);
  EXPECT_NE(SobolPoints(3, 12, 98).scrambled(1, 2, 5), x);
}

TEST(SobolPoints, EachScrambledPointIsUniformAndTablesLimitTheDesign) {
  // Point 0 is 0 unscrambled; over 4096 scrambles its coordinate falls in
  // each eighth of [0, 1) about 512 times.
  const SobolPoints points(2, 8, 7);
  std::vector<int> eighths(8, 0);
  for (unsigned r = 0; r < 4096; ++r) ++eighths[points.scrambled(r, 1, 0) >> 61];
  for (const int count : eighths) {
    EXPECT_GT(count, 420);
    EXPECT_LT(count, 604);
  }
  const auto message = [](unsigned dims, unsigned log2) {
    try {
      SobolPoints(dims, log2, 0);
    } catch (const std::invalid_argument& error) {
      return std::string(error.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(message(0, 4), "sobol points: 0 dimensions");
  EXPECT_EQ(message(4000, 4), "sobol points: 4000 dimensions, at most 3667");
  EXPECT_EQ(message(2, 32), "sobol points: 2^32 points, at most 2^31");
  EXPECT_EQ(message(kSobolMaxDimensions, 31), "no error");
}

}  // namespace
}  // namespace linprob
