#include "distributions/enumeration_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "distributions/point_design.h"
#include "distributions/point_kinds.h"
#include "distributions/sample_blocks.h"

namespace linprob {
namespace {

// Cell m of entry i has the value 100 i + m, and a probability whose products
// round, so any change of multiplication order shows in the last bit.
RectangleTable labelledTable(unsigned n, int cellCount) {
  RectangleTable table(static_cast<std::size_t>(cellCount),
                       std::vector<SampleRectangle>(n));
  for (int m = 0; m < cellCount; ++m) {
    for (unsigned i = 0; i < n; ++i) {
      SampleRectangle& cell = table[static_cast<std::size_t>(m)][i];
      cell.value = 100.0 * i + m;
      cell.probability = 1.0 / (3.0 + m + 7.0 * i) + 1e-3 * (m % 3);
    }
  }
  return table;
}

struct Job {
  std::vector<double> values;
  double probability = 0.0;
};

// The jobs of one prefix by plain nested enumeration: entry n-1 fastest, the
// probability multiplied cell by cell in entry order from 1.0.
void enumerateNested(const RectangleTable& cells, unsigned n,
                     std::vector<std::size_t>& indices, unsigned depth,
                     std::vector<Job>& jobs) {
  if (depth == n) {
    Job job;
    job.probability = 1.0;
    for (unsigned i = 0; i < n; ++i) {
      const SampleRectangle& cell = cells[indices[i]][i];
      job.probability = job.probability * cell.probability;
      job.values.push_back(cell.value);
    }
    jobs.push_back(job);
    return;
  }
  for (std::size_t k = 0; k < cells.size(); ++k) {
    indices[depth] = k;
    enumerateNested(cells, n, indices, depth + 1, jobs);
  }
}

std::vector<Job> nestedPrefix(const RectangleTable& cells, unsigned n,
                              std::size_t prefix) {
  std::vector<Job> jobs;
  std::vector<std::size_t> indices(n, 0);
  indices[0] = prefix;
  enumerateNested(cells, n, indices, 1, jobs);
  return jobs;
}

// Compares lanes 0 ... count-1 of `block` with jobs first ... of `expected`
// bit for bit, and checks that every other lane is zero.
void expectBlock(const JobBlock& block, unsigned n,
                 const std::vector<Job>& expected, std::uint64_t first,
                 std::size_t count) {
  ASSERT_EQ(block.count, count);
  for (std::size_t j = 0; j < kBlockJobs; ++j) {
    const bool used = j < count;
    const Job* job = used ? &expected[first + j] : nullptr;
    for (unsigned e = 0; e < n; ++e) {
      ASSERT_EQ(block.entry(e)[j], used ? job->values[e] : 0.0)
          << "lane " << j << " entry " << e << " first " << first;
    }
    ASSERT_EQ(block.probabilities[j], used ? job->probability : 0.0)
        << "lane " << j << " first " << first;
  }
}

TEST(EnumerationJobsTest, CountsFollowTheCellsAndEntries) {
  EnumerationJobs jobs{3, labelledTable(3, 5)};
  EXPECT_EQ(jobs.prefixCount(), 5u);
  EXPECT_EQ(jobs.jobsPerPrefix(), 25u);
  EXPECT_EQ(jobs.jobCount(), 125u);
  jobs = EnumerationJobs{1, labelledTable(1, 4)};
  EXPECT_EQ(jobs.prefixCount(), 4u);
  EXPECT_EQ(jobs.jobsPerPrefix(), 1u);
  EXPECT_EQ(jobs.jobCount(), 4u);
  jobs = EnumerationJobs{2, RectangleTable{}};
  EXPECT_EQ(jobs.prefixCount(), 0u);
  EXPECT_EQ(jobs.jobCount(), 0u);
  jobs = EnumerationJobs{0, labelledTable(0, 3)};
  EXPECT_EQ(jobs.prefixCount(), 0u);
  EXPECT_EQ(jobs.jobCount(), 0u);
  // Beyond 32 bits: 50^6 jobs.
  jobs = EnumerationJobs{6, labelledTable(6, 50)};
  EXPECT_EQ(jobs.jobCount(), 15625000000u);
}

TEST(EnumerationJobsTest, ThreeCellsTwoEntriesInLexicographicOrder) {
  const EnumerationJobs jobs{2, labelledTable(2, 3)};
  const RectangleTable& cells = jobs.cells;
  JobBlock block(2);
  for (std::size_t p = 0; p < 3; ++p) {
    EnumerationFill(jobs).fill(p, 0, 3, block);
    ASSERT_EQ(block.count, 3u);
    for (std::size_t k = 0; k < 3; ++k) {
      EXPECT_EQ(block.entry(0)[k], cells[p][0].value);
      EXPECT_EQ(block.entry(1)[k], cells[k][1].value);
      EXPECT_EQ(block.probabilities[k],
                cells[p][0].probability * cells[k][1].probability);
    }
  }
}

// Every way of cutting a prefix into blocks gives exactly the jobs of the
// nested enumeration: full blocks, short blocks starting mid-prefix, and
// blocks that cross carries of several entries at once. The block is reused
// without clearing, so stale lanes from a longer fill would show.
TEST(EnumerationJobsTest, FillIsTheNestedEnumerationBitForBit) {
  struct Shape {
    unsigned n;
    int cellCount;
  };
  const Shape shapes[] = {{1, 1}, {1, 6}, {2, 3},  {2, 50}, {3, 4},
                          {3, 7}, {3, 20}, {4, 3}, {4, 7},  {4, 8}};
  for (const Shape& shape : shapes) {
    const EnumerationJobs jobs{shape.n, labelledTable(shape.n, shape.cellCount)};
    const std::uint64_t perPrefix = jobs.jobsPerPrefix();
    JobBlock block(shape.n);
    std::fill(block.values.begin(), block.values.end(), 1e300);
    std::fill(block.probabilities.begin(), block.probabilities.end(), 1e300);
    for (std::size_t prefix = 0; prefix < jobs.prefixCount(); ++prefix) {
      const std::vector<Job> expected = nestedPrefix(jobs.cells, shape.n, prefix);
      ASSERT_EQ(expected.size(), perPrefix);
      for (std::uint64_t step : {std::uint64_t{kBlockJobs}, std::uint64_t{37},
                                 std::uint64_t{5}, std::uint64_t{1}}) {
        for (std::uint64_t first = 0; first < perPrefix; first += step) {
          const auto count = static_cast<std::size_t>(
              std::min(step, perPrefix - first));
          EnumerationFill(jobs).fill(prefix, first, count, block);
          expectBlock(block, shape.n, expected, first, count);
          if (HasFatalFailure()) {
            FAIL() << "n " << shape.n << " cells " << shape.cellCount
                   << " prefix " << prefix << " step " << step;
          }
        }
      }
    }
  }
}

// Chunks are consecutive units that cover the phase: one per unit up to
// kMaxChunks, but none under kMinChunkJobs jobs (except a phase's only one).
TEST(ChunkPlanTest, ChunksCoverTheUnitsInOrder) {
  struct Case {
    std::uint64_t units;
    std::uint64_t jobs;
    std::size_t chunks;
  };
  const Case cases[] = {{50, 6250000, 50},       {50, 125000, 7},
                        {3, 9, 1},               {9766, 10000000, 256},
                        {98, 100000, 6},         {0, 0, 0},
                        {1, 1, 1},               {1000, 1000 * kMinChunkJobs, 256}};
  for (const Case& c : cases) {
    const ChunkPlan plan = ChunkPlan::of(c.units, c.jobs);
    EXPECT_EQ(plan.chunks, c.chunks) << c.units << " units";
    std::uint64_t next = 0;
    for (std::size_t k = 0; k < plan.chunks; ++k) {
      const UnitRange range = plan.range(k);
      EXPECT_EQ(range.first, next);
      EXPECT_GT(range.end, range.first);
      next = range.end;
    }
    EXPECT_EQ(next, plan.chunks == 0 ? 0 : c.units);
  }
}

TEST(ChunkPlanTest, ChunkJobsAddUpToThePhase) {
  const EnumerationJobs jobs{3, labelledTable(3, 30)};  // 27,000 jobs
  const ChunkPlan plan = jobs.chunkPlan();
  EXPECT_EQ(plan.chunks, 1u);
  EXPECT_EQ(jobs.chunkJobs(0), 27000u);

  SamplingJobs samples;
  samples.sampleCount = 100000;
  EXPECT_EQ(samples.blockCount(), 98u);
  EXPECT_EQ(samples.blockJobs(96), kBlockJobs);
  EXPECT_EQ(samples.blockJobs(97), 100000u - 97 * kBlockJobs);
  EXPECT_EQ(samples.blockJobs(98), 0u);
  const PointDesign random = pointDesign(PointKind::kRandom, 100000);
  EXPECT_EQ(random.blockCount(), samples.blockCount());
  std::uint64_t total = 0;
  for (std::size_t c = 0; c < random.chunkPlan().chunks; ++c) {
    total += random.chunkJobs(c);
  }
  EXPECT_EQ(total, 100000u);
}

TEST(EnumerationJobsTest, EmptyFillClearsEveryLane) {
  const EnumerationJobs jobs{2, labelledTable(2, 3)};
  JobBlock block(2);
  EnumerationFill(jobs).fill(1, 0, 3, block);
  EnumerationFill(jobs).fill(1, 0, 0, block);
  EXPECT_EQ(block.count, 0u);
  EXPECT_TRUE(std::all_of(block.values.begin(), block.values.end(),
                          [](double v) { return v == 0.0; }));
  EXPECT_TRUE(std::all_of(block.probabilities.begin(),
                          block.probabilities.end(),
                          [](double p) { return p == 0.0; }));
}

// The source hands out a chunk's jobs block by block, prefix after prefix,
// each prefix in blocks of kBlockJobs and a shorter last one.
TEST(EnumerationSourceTest, BlocksOfAChunkWalkItsPrefixesInOrder) {
  const EnumerationJobs jobs{3, labelledTable(3, 40)};  // 1600 jobs a prefix
  const EnumerationSource source(jobs);
  const EnumerationFill direct(jobs);
  ASSERT_EQ(source.jobCount(), 64000u);
  JobBlock fromSource(3);
  JobBlock expected(3);
  std::uint64_t total = 0;
  for (std::size_t c = 0; c < source.chunkPlan().chunks; ++c) {
    const UnitRange prefixes = source.chunkPlan().range(c);
    ASSERT_EQ(source.chunkBlocks(c), 2 * (prefixes.end - prefixes.first));
    for (std::uint64_t k = 0; k < source.chunkBlocks(c); ++k) {
      source.fill(c, k, fromSource);
      const std::uint64_t first = k % 2 == 0 ? 0 : kBlockJobs;
      direct.fill(static_cast<std::size_t>(prefixes.first + k / 2), first,
                  k % 2 == 0 ? kBlockJobs : 1600 - kBlockJobs, expected);
      ASSERT_EQ(fromSource.count, expected.count);
      EXPECT_EQ(fromSource.values, expected.values);
      EXPECT_EQ(fromSource.probabilities, expected.probabilities);
      total += fromSource.count;
    }
  }
  EXPECT_EQ(total, source.jobCount());
}

}  // namespace
}  // namespace linprob
