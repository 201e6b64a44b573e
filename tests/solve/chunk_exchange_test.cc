// The pieces of a shared phase: the packing of a rank's chunk sums for the
// others, and the extremes and fine counts merged over the ranks. (Whole
// phases shared between ranks: phase_solver_test.cc.)
#include "solve/chunk_exchange.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

#include "solve/band_table.h"
#include "support/in_process_ranks.h"

namespace linprob {
namespace {

bool sameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Two positions, 3 and 2 bands; with references, moments are packed too.
struct Layout {
  PhaseBands bands;
  CountLayout layout;
  explicit Layout(bool accumulate)
      : bands(makeBands()),
        layout(bands, accumulate ? std::vector<double>{0.5, -2.0}
                                 : std::vector<double>{}) {}
  static PhaseBands makeBands() {
    PhaseBands bands(2);
    bands[0].borders = {1.0, 2.0, 3.0};
    bands[1].borders = {1.0, 2.0};
    return bands;
  }
};

// The sums of chunk c: awkward values (signed zeros, a NaN, subnormals), so
// that any conversion or re-addition on the way would show.
ChunkSums chunkSums(std::size_t c, const CountLayout& layout) {
  ChunkSums sums;
  const double values[] = {-0.0, 0.1 * static_cast<double>(c), 5e-324,
                           std::numeric_limits<double>::quiet_NaN(), 1e300};
  for (std::size_t k = 0; k < layout.bandTotal; ++k) {
    sums.masses.push_back(values[(c + k) % 5]);
  }
  if (layout.accumulate) {
    for (std::size_t e = 0; e < layout.positions.size(); ++e) {
      sums.moments.push_back(WeightedMoments::withSums(
          layout.positions[e].reference, values[(c + e) % 5], -0.0,
          values[(c + e + 1) % 5]));
    }
  }
  return sums;
}

void expectSameSums(const ChunkSums& a, const ChunkSums& b) {
  ASSERT_EQ(a.masses.size(), b.masses.size());
  for (std::size_t k = 0; k < a.masses.size(); ++k) {
    EXPECT_TRUE(sameBits(a.masses[k], b.masses[k])) << "band " << k;
  }
  ASSERT_EQ(a.moments.size(), b.moments.size());
  for (std::size_t e = 0; e < a.moments.size(); ++e) {
    EXPECT_EQ(a.moments[e].reference(), b.moments[e].reference());
    EXPECT_TRUE(sameBits(a.moments[e].sumWeight(), b.moments[e].sumWeight()));
    EXPECT_TRUE(sameBits(a.moments[e].sumFirst(), b.moments[e].sumFirst()));
    EXPECT_TRUE(sameBits(a.moments[e].sumSecond(), b.moments[e].sumSecond()));
  }
}

// A rank's packed chunks, unpacked on another rank, are the same bits, and
// land in that rank's chunks only.
TEST(ChunkExchangeTest, PackedSumsComeBackBitForBit) {
  for (const bool accumulate : {false, true}) {
    const Layout own(accumulate);
    const std::size_t chunks = 7;
    for (int rank = 0; rank < 3; ++rank) {
      const ChunkShare share{rank, 3};
      std::vector<ChunkSums> sent(chunks);
      for (std::size_t c = 0; c < chunks; ++c) {
        if (share.owns(c)) sent[c] = chunkSums(c, own.layout);
      }
      const std::vector<double> packed =
          packChunkSums(sent, share, own.layout);
      std::vector<ChunkSums> received(chunks);
      unpackChunkSums(packed, share, own.layout, received);
      for (std::size_t c = 0; c < chunks; ++c) {
        SCOPED_TRACE("chunk " + std::to_string(c));
        if (share.owns(c)) {
          expectSameSums(sent[c], received[c]);
        } else {
          EXPECT_TRUE(received[c].masses.empty());
        }
      }
    }
  }
}

TEST(ChunkExchangeTest, RefusesWhatDoesNotFit) {
  const Layout own(true);
  // Rank 1 of 2 owns chunks 1 and 3 of 4: 2 * (5 masses + 2 * 3 sums).
  std::vector<ChunkSums> chunks(4);
  try {
    unpackChunkSums(std::vector<double>(7, 0.0), ChunkShare{1, 2}, own.layout,
                    chunks);
    FAIL() << "no exception";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "chunk exchange: 7 values for 22 sums");
  }
  // A chunk this rank owns but never counted (an unfinished phase).
  try {
    (void)packChunkSums(chunks, ChunkShare{1, 2}, own.layout);
    FAIL() << "no exception";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "chunk exchange: chunk 1 was not counted");
  }
}

// Extremes merged whatever rank found them, the signed zeros as one process
// would settle them; fine counts added over threads and ranks, modulo 2^64.
TEST(ChunkExchangeTest, ExtremesAndFineCountsOfEveryRank) {
  testing::InProcessRanks ranks(3);
  std::vector<Extremes> merged(3, Extremes(2));
  ranks.run([&](ProcessGroup& group) {
    Extremes& own = merged[static_cast<std::size_t>(group.rank())];
    if (group.rank() == 0) {
      own.takeMin(0, 0.0);
      own.takeMax(0, -0.0);
    } else if (group.rank() == 1) {
      own.takeMin(0, -0.0);
      own.takeMax(0, 0.0);
      own.takeMin(1, 4.0);
    }  // rank 2 found nothing: +-infinity
    own.takeMax(1, 1.0 + group.rank());
    shareExtremes(own, group);
  });
  for (const Extremes& extremes : merged) {
    EXPECT_TRUE(std::signbit(extremes.min[0]) && extremes.min[0] == 0.0);
    EXPECT_TRUE(!std::signbit(extremes.max[0]) && extremes.max[0] == 0.0);
    EXPECT_EQ(extremes.min[1], 4.0);
    EXPECT_EQ(extremes.max[1], 3.0);
  }

  PhaseBands bands(2);
  for (PositionBands& position : bands) {
    position.count = 1;
    position.min = 0.0;
    position.max = 1.0;
    layBorders(position, 4);
  }
  bands[1].max = std::numeric_limits<double>::infinity();  // no fine counts
  const CountLayout layout(bands, {0.0, 0.0});
  std::vector<FineCounts> totals(3);
  ranks.run([&](ProcessGroup& group) {
    const std::uint64_t r = static_cast<std::uint64_t>(group.rank());
    std::vector<FineCounts> byThread(2, FineCounts(2));
    for (FineCounts& thread : byThread) {
      thread[0].assign(kFineSubBands, 1);
      thread[0][5] = ~std::uint64_t{0} - r;  // wraps on adding
    }
    totals[r] = shareFineCounts(byThread, layout, group);
  });
  for (const FineCounts& total : totals) {
    ASSERT_EQ(total.size(), 2u);
    ASSERT_EQ(total[0].size(), kFineSubBands);
    EXPECT_EQ(total[0][0], 6u);
    // 6 (2^64 - 1 - r) over r = 0, 0, 1, 1, 2, 2: -12, modulo 2^64.
    EXPECT_EQ(total[0][5], std::uint64_t{0} - 12);
    EXPECT_TRUE(total[1].empty());
  }
}

}  // namespace
}  // namespace linprob
