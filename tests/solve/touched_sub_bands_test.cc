#include "solve/touched_sub_bands.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <set>
#include <vector>

#include "solve/band_counter.h"
#include "solve/band_kernels.h"

namespace linprob {
namespace {

// Sub-band sums as BandCounter keeps them: +0.0 but where a job fell, and
// those sub-bands marked.
struct SparseSums {
  std::vector<double> sums = std::vector<double>(kFineSubBands, 0.0);
  std::vector<std::uint64_t> touched =
      std::vector<std::uint64_t>(kSubBandWords, 0);
  std::set<std::size_t> marked;

  void add(std::size_t sub, double p) {
    sums[sub] = sums[sub] + p;
    touchSubBand(touched.data(), sub);
    marked.insert(sub);
  }
};

SparseSums randomSums(std::mt19937_64& random, std::size_t jobs) {
  SparseSums s;
  std::uniform_int_distribution<std::size_t> sub(0, kFineSubBands - 1);
  std::uniform_real_distribution<double> p(0.0, 1.0);
  for (std::size_t j = 0; j < jobs; ++j) {
    // Clusters at the word and group borders, and one job of weight 0.
    const std::size_t at = j % 7 == 0 ? 64 * (sub(random) % 256) + 63 : sub(random);
    s.add(at, j == 3 ? 0.0 : std::ldexp(p(random), -static_cast<int>(j % 50)));
  }
  return s;
}

// Every range of sub-bands (empty ones, ranges inside one word, across
// words, not a multiple of four long, the whole histogram): the sum over the
// marked sub-bands is rangeSum's, bit for bit, and the walk visits exactly
// the marked ones in order.
TEST(TouchedSubBandsTest, RangeSumsAreTheDenseOnesBitForBit) {
  std::mt19937_64 random(11);
  std::uniform_int_distribution<std::size_t> border(0, kFineSubBands);
  for (const std::size_t jobs : {0, 1, 5, 300, 5000}) {
    const SparseSums s = randomSums(random, jobs);
    EXPECT_EQ(touchedCount(s.touched.data()), s.marked.size());
    std::vector<std::pair<std::size_t, std::size_t>> ranges = {
        {0, kFineSubBands}, {0, 0}, {63, 64}, {63, 65}, {1, 130}, {200, 203}};
    for (int r = 0; r < 200; ++r) {
      std::size_t a = border(random), b = border(random);
      if (a > b) std::swap(a, b);
      ranges.push_back({a, b});
    }
    for (const auto& [first, end] : ranges) {
      const double sparse =
          touchedRangeSum(s.sums.data(), s.touched.data(), first, end);
      const double dense = rangeSum(s.sums.data(), first, end);
      EXPECT_EQ(std::bit_cast<std::uint64_t>(sparse),
                std::bit_cast<std::uint64_t>(dense))
          << jobs << " jobs, " << first << " ... " << end;
      std::vector<std::size_t> visited;
      forEachTouched(s.touched.data(), first, end,
                     [&](std::size_t f) { visited.push_back(f); });
      const std::vector<std::size_t> expected(s.marked.lower_bound(first),
                                              s.marked.lower_bound(end));
      EXPECT_EQ(visited, expected) << first << " ... " << end;
    }
  }
}

// Folding the marked sub-bands gives the dense fold's counts, leaves every
// sum +0.0 and no mark; without counts it only clears.
TEST(TouchedSubBandsTest, FoldIsTheDenseFold) {
  std::mt19937_64 random(12);
  SparseSums s = randomSums(random, 2000);
  SparseSums copy = s;
  std::vector<std::uint64_t> sparse(kFineSubBands, 5), dense(kFineSubBands, 5);
  foldTouched(s.sums.data(), s.touched.data(), sparse.data());
  addFixedPointMasses(copy.sums.data(), kFineSubBands, dense.data());
  EXPECT_EQ(sparse, dense);
  EXPECT_EQ(s.sums, std::vector<double>(kFineSubBands, 0.0));
  EXPECT_EQ(touchedCount(s.touched.data()), 0u);

  SparseSums other = randomSums(random, 40);
  foldTouched(other.sums.data(), other.touched.data(), nullptr);
  EXPECT_EQ(other.sums, std::vector<double>(kFineSubBands, 0.0));
  EXPECT_EQ(touchedCount(other.touched.data()), 0u);
}

// A counter with many sub-bands touched (the dense path at the end of the
// chunk) and one with few (the sparse path) give the masses and fine counts
// of adding the jobs one by one; a counter dropped in the middle of a chunk
// leaves nothing behind for the next one (its sums are reused).
TEST(TouchedSubBandsTest, CountersGiveTheSameBandsEitherWay) {
  PositionBands position;
  position.count = 1;
  position.min = -1.0;
  position.max = 1.0;
  layBorders(position, 10);
  const PhaseBands phase{position};
  const CountLayout layout(phase, {0.0});
  std::mt19937_64 random(13);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  std::uniform_real_distribution<double> weight(0.0, 1e-3);
  const auto expectedOf = [&](const std::vector<JobBlock>& blocks) {
    // The jobs' sub-band sums one by one, then as the counter sums a band.
    std::vector<double> sums(kFineSubBands, 0.0);
    std::vector<double> compared(phase[0].borders.size(), 0.0);
    const FineHistogram probe(-1.0, 1.0);
    for (const JobBlock& block : blocks) {
      for (std::size_t j = 0; j < block.count; ++j) {
        const std::size_t sub = probe.subBand(block.entry(0)[j]);
        sums[sub] = sums[sub] + block.probabilities[j];
        if ((layout.positions[0].holdsBorder[sub / 64] >> (sub % 64)) & 1u) {
          const std::size_t band = bandIndex(phase[0], block.entry(0)[j]);
          compared[band] = compared[band] + block.probabilities[j];
        }
      }
    }
    std::vector<double> masses;
    for (std::size_t k = 0; k < compared.size(); ++k) {
      const SubBandRange range = layout.positions[0].bandSubBands[k];
      masses.push_back(rangeSum(sums.data(), range.first, range.end) +
                       compared[k]);
    }
    return masses;
  };
  for (const std::size_t blockCount : {1, 4}) {
    std::vector<JobBlock> blocks;
    for (std::size_t b = 0; b < blockCount; ++b) {
      JobBlock block(1);
      block.count = kBlockJobs;
      for (std::size_t j = 0; j < kBlockJobs; ++j) {
        block.entry(0)[j] = value(random);
        block.probabilities[j] = weight(random);
      }
      blocks.push_back(block);
    }
    {
      BandCounter dropped(layout);
      dropped.count(blocks[0]);
    }
    BandCounter counter(layout);
    for (const JobBlock& block : blocks) counter.count(block);
    ChunkSums sums;
    counter.finishChunk(sums);
    EXPECT_EQ(sums.masses, expectedOf(blocks)) << blockCount << " blocks";
  }
}

}  // namespace
}  // namespace linprob
