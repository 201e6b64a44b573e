// Whole counts against sums of weights: for jobs of one float weight the
// counter of whole jobs gives BandCounter's and BatchPartCounter's bits in
// every chunk and part sum, fine count and batch histogram.
#include "solve/sample_counter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "distributions/sample_blocks.h"
#include "solve/band_table.h"

namespace linprob {
namespace {

TEST(SampleCounterTest, CountsExactlyForFloatWeightsOfChunksBelowTheLimit) {
  for (const int samples : {1, 3, 1000, 100000, 2147483647}) {
    EXPECT_TRUE(countsExactly(sampleWeight(samples), std::uint64_t{1} << 23))
        << samples;
  }
  // 1/3 in float has an odd significand of 24 bits.
  EXPECT_FALSE(countsExactly(sampleWeight(3), std::uint64_t{1} << 31));
  EXPECT_TRUE(countsExactly(sampleWeight(4), std::uint64_t{1} << 50));
  // A weight of 53 bits, none, or not a probability.
  EXPECT_FALSE(countsExactly(1.0 / 3.0, 16384));
  EXPECT_FALSE(countsExactly(0.0, 1));
  EXPECT_FALSE(countsExactly(std::nan(""), 1));
  EXPECT_FALSE(countsExactly(2.0, 1));
  // Below 2^-62 a weight has no whole fixed-point count.
  EXPECT_FALSE(countsExactly(0x1p-70, 1));
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, 8) == 0; }

// Three positions: spread values with 7 bands (each job compared with the
// borders), values on a lattice that holds every border with 40 bands (a
// search per job), and one constant value (a zero-width range). Three
// chunks of 4, 5 and 2 blocks (the last ragged), their blocks falling into
// batches of three blocks, so that batches end inside chunks and span two.
class SampleCounterTest : public ::testing::TestWithParam<std::size_t> {
 protected:
  static constexpr std::size_t kChunkBlocks[3] = {4, 5, 2};
  static constexpr std::size_t kBlocks = 11;

  SampleCounterTest() : weight_(sampleWeight(10000)), bands_(3) {
    std::mt19937_64 random(23);
    std::normal_distribution<double> normal(0.5, 2.0);
    std::uniform_int_distribution<int> lattice(0, 160);
    for (std::size_t b = 0; b < kBlocks; ++b) {
      JobBlock block(3);
      block.count = b + 1 == kBlocks ? 1000 : kBlockJobs;
      for (std::size_t j = 0; j < block.count; ++j) {
        block.entry(0)[j] = normal(random);
        block.entry(1)[j] = -2.0 + 0.025 * lattice(random);
        block.entry(2)[j] = 7.25;
        block.probabilities[j] = weight_;
      }
      blocks_.push_back(block);
    }
    const int precision[3] = {7, 40, 5};
    for (unsigned e = 0; e < 3; ++e) {
      PositionBands& bands = bands_[e];
      bands.count = 10216;
      bands.min = bands.max = blocks_[0].entry(e)[0];
      for (const JobBlock& block : blocks_) {
        for (std::size_t j = 0; j < block.count; ++j) {
          bands.min = std::min(bands.min, block.entry(e)[j]);
          bands.max = std::max(bands.max, block.entry(e)[j]);
        }
      }
      layBorders(bands, precision[e]);
    }
    // Jobs right on the borders between bands.
    for (unsigned e = 0; e < 2; ++e) {
      for (std::size_t k = 0; k + 1 < bands_[e].borders.size(); ++k) {
        blocks_[k % kBlocks].entry(e)[k] = bands_[e].borders[k];
      }
    }
    layout_.emplace(bands_, std::vector<double>{0.4, -1.0, 7.0});
  }

  static std::size_t batchOf(std::size_t block) { return block / 3; }

  struct Counted {
    std::vector<ChunkSums> chunks;
    std::vector<BatchPart> parts;
    std::vector<std::vector<std::uint64_t>> fine;
    std::vector<std::uint64_t> batchCounts;
  };

  // Every chunk counted by `count`, its parts cut where a batch ends.
  template <typename StartChunk, typename Count, typename FinishPart,
            typename FinishChunk>
  void countAll(Counted& out, StartChunk&& startChunk, Count&& count,
                FinishPart&& finishPart, FinishChunk&& finishChunk) const {
    std::size_t block = 0;
    for (const std::size_t chunkBlocks : kChunkBlocks) {
      startChunk();
      for (std::size_t k = 0; k < chunkBlocks; ++k, ++block) {
        if (k > 0 && batchOf(block) != out.parts.back().batch) {
          finishPart(out.parts.back());
        }
        if (k == 0 || batchOf(block) != out.parts.back().batch) {
          out.parts.push_back(BatchPart{batchOf(block), {}});
        }
        count(blocks_[block]);
      }
      finishPart(out.parts.back());
      out.chunks.emplace_back();
      finishChunk(out.chunks.back());
    }
  }

  Counted bySums(std::size_t subBands) const {
    Counted out;
    BatchSums batches(*layout_, 4, subBands);
    BandCounter counter(*layout_);
    BatchPartCounter partCounter(*layout_);
    countAll(
        out, [&] { partCounter.startChunk(); },
        [&](const JobBlock& block) { counter.count(block); },
        [&](BatchPart& part) {
          partCounter.finishPart(counter, part, batches);
        },
        [&](ChunkSums& sums) { counter.finishChunk(sums); });
    out.fine = counter.takeFineCounts();
    out.batchCounts = batches.fineCounts();
    return out;
  }

  Counted byCounts(std::size_t subBands, bool shared) const {
    Counted out;
    BatchSums batches(*layout_, 4, subBands);
    SampleCounter counter(*layout_, weight_, &batches, shared);
    countAll(
        out, [&] { counter.startChunk(); },
        [&](const JobBlock& block) { counter.count(block); },
        [&](BatchPart& part) { counter.finishPart(part); },
        [&](ChunkSums& sums) { counter.finishChunk(sums); });
    out.fine = counter.takeFineCounts();
    out.batchCounts = batches.fineCounts();
    return out;
  }

  static void expectSame(const ChunkSums& a, const ChunkSums& b) {
    ASSERT_EQ(a.masses.size(), b.masses.size());
    for (std::size_t i = 0; i < a.masses.size(); ++i) {
      EXPECT_TRUE(sameBits(a.masses[i], b.masses[i]))
          << i << ": " << a.masses[i] << " " << b.masses[i];
    }
    ASSERT_EQ(a.moments.size(), b.moments.size());
    for (std::size_t e = 0; e < a.moments.size(); ++e) {
      EXPECT_TRUE(sameBits(a.moments[e].sumWeight(), b.moments[e].sumWeight()));
      EXPECT_TRUE(sameBits(a.moments[e].sumFirst(), b.moments[e].sumFirst()));
      EXPECT_TRUE(sameBits(a.moments[e].sumSecond(), b.moments[e].sumSecond()));
    }
  }

  const double weight_;
  std::vector<JobBlock> blocks_;
  PhaseBands bands_;
  std::optional<CountLayout> layout_;
};

TEST_P(SampleCounterTest, WholeCountsGiveTheBitsOfSumsOfWeights) {
  const std::size_t subBands = GetParam();
  const Counted sums = bySums(subBands);
  for (const bool shared : {false, true}) {
    SCOPED_TRACE(shared ? "shared" : "alone");
    const Counted counts = byCounts(subBands, shared);
    ASSERT_EQ(sums.chunks.size(), counts.chunks.size());
    for (std::size_t c = 0; c < sums.chunks.size(); ++c) {
      SCOPED_TRACE("chunk " + std::to_string(c));
      expectSame(sums.chunks[c], counts.chunks[c]);
    }
    ASSERT_EQ(sums.parts.size(), counts.parts.size());
    for (std::size_t p = 0; p < sums.parts.size(); ++p) {
      SCOPED_TRACE("part " + std::to_string(p));
      expectSame(sums.parts[p].sums, counts.parts[p].sums);
    }
    EXPECT_EQ(sums.fine, counts.fine);
    EXPECT_EQ(sums.batchCounts, counts.batchCounts);
  }
}

INSTANTIATE_TEST_SUITE_P(BatchSubBands, SampleCounterTest,
                         ::testing::Values(kFineSubBands, std::size_t{1024}));

}  // namespace
}  // namespace linprob
