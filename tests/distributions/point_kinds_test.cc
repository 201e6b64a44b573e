#include "distributions/point_kinds.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "distributions/discretisation.h"
#include "distributions/enumeration_source.h"
#include "distributions/family_box.h"
#include "distributions/point_design.h"
#include "distributions/point_generator.h"
#include "distributions/sampling_source.h"
#include "support/pair_entries.h"

namespace linprob {
namespace {

bool sameCells(const RectangleTable& a, const RectangleTable& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t m = 0; m < a.size(); ++m) {
    if (a[m].size() != b[m].size()) return false;
    for (std::size_t e = 0; e < a[m].size(); ++e) {
      if (a[m][e].value != b[m][e].value ||
          a[m][e].probability != b[m][e].probability) {
        return false;
      }
    }
  }
  return true;
}

SourceRequest specOf(Family family, unsigned n, std::vector<double> first,
                     std::vector<double> second, int count,
                     PointKind kind = PointKind::kEnumeration) {
  SourceRequest request;
  request.family = &familyInfo(family);
  request.n = n;
  request.entries = testing::pairEntries(first, second);
  request.count = count;
  request.seed = 0xfedcba9876543210u;
  request.kind = kind;
  return request;
}

TEST(PointKindsTest, EnumerationBuildsTheFamilysCells) {
  const auto normal = makeJobSource(specOf(Family::kNormal, 2, {10, 0}, {4, 0}, 3));
  ASSERT_NE(normal->cells(), nullptr);
  EXPECT_TRUE(sameCells(normal->cells()->cells, normalCells(2, 3, {10, 0}, {4, 0})));
  EXPECT_EQ(normal->jobCount(), 9u);
  EXPECT_FALSE(normal->seed());

  // The pair holds a variance: one cell sits 1.12468265 deviations (2)
  // below the mean.
  const auto one = makeJobSource(specOf(Family::kNormal, 1, {10}, {4}, 1));
  ASSERT_EQ(one->cells()->cells.size(), 1u);
  EXPECT_NEAR(one->cells()->cells[0][0].value, 10.0 - 1.12468265 * 2.0, 1e-12);

  const auto triangular =
      makeJobSource(specOf(Family::kTriangular, 2, {1, 2}, {3, 2}, 4));
  EXPECT_TRUE(sameCells(triangular->cells()->cells,
                        triangularCells(2, 4, {1.0, 2.0}, {3.0, 2.0})));
  const auto uniform =
      makeJobSource(specOf(Family::kUniform, 3, {1, 2, 8}, {3, 2, 9}, 2));
  EXPECT_TRUE(sameCells(uniform->cells()->cells,
                        uniformCells(3, 2, {1.0, 2.0, 8.0}, {3.0, 2.0, 9.0})));
}

TEST(PointKindsTest, SamplingKeepsTheParametersAndTheSeed) {
  for (const Family family : {Family::kTriangular, Family::kUniform}) {
    const auto source = makeJobSource(
        specOf(family, 2, {1, 2}, {3, 2}, 7, PointKind::kRandom));
    EXPECT_EQ(source->cells(), nullptr);
    EXPECT_EQ(source->jobCount(), 7u);
    EXPECT_EQ(source->seed(), 0xfedcba9876543210u);
    const FamilyBox box = source->box();
    const FamilyBox expected =
        samplingBox(familyInfo(family), testing::pairEntries({1, 2}, {3, 2}));
    EXPECT_EQ(box.lower, expected.lower);
    EXPECT_EQ(box.upper, expected.upper);
  }
}

// Every kind that samples: the design's jobs, chunks nested in its
// replicates, every block as the kind's generator fills it, and the batches
// of the design.
TEST(PointKindsTest, SamplingDrawsTheChosenPoints) {
  for (const PointKindRow& row : kPointKindRows) {
    if (!drawsSamples(row.kind)) continue;
    SCOPED_TRACE(row.name);
    const SourceRequest request =
        specOf(Family::kNormal, 2, {1, 2}, {3, 2}, 100000, row.kind);
    const auto source = makeJobSource(request);
    const PointDesign design = pointDesign(row.kind, 100000);
    EXPECT_EQ(source->jobCount(), design.jobCount());
    EXPECT_EQ(source->seed(), request.seed);
    EXPECT_EQ(source->jobWeight(), design.jobWeight());
    EXPECT_EQ(source->batchCount(), 16u);
    const auto points = row.generator(request, design);
    JobBlock mine(2), theirs(2);
    std::uint64_t unit = 0;
    for (std::size_t c = 0; c < source->chunkPlan().chunks; ++c) {
      for (std::uint64_t k = 0; k < source->chunkBlocks(c); ++k, ++unit) {
        EXPECT_EQ(source->batchOf(c, k), design.batchOf(unit));
        if (unit % 13 != 0) continue;
        source->fill(c, k, mine);
        points->fill(unit, theirs);
        ASSERT_EQ(mine.count, theirs.count);
        EXPECT_EQ(mine.values, theirs.values);
        EXPECT_EQ(mine.probabilities, theirs.probabilities);
      }
    }
    EXPECT_EQ(unit, design.blockCount());
    EXPECT_EQ(sampledKindNamed(row.name), row.kind);
  }
  EXPECT_FALSE(sampledKindNamed("enumeration").has_value());
  EXPECT_FALSE(sampledKindNamed("quasi").has_value());
}

// Each row's jobs and chunks are those of the source it makes, and the
// start-of-run check's box is the source's.
TEST(PointKindsTest, EveryRowHasItsFunctions) {
  for (const PointKindRow& row : kPointKindRows) {
    const bool samples = row.replicates != Replicates::kNone;
    EXPECT_NE(row.phaseJobs, nullptr) << row.name;
    EXPECT_NE(row.make, nullptr) << row.name;
    EXPECT_EQ(row.generator != nullptr, samples) << row.name;
  }
}

TEST(PointKindsTest, EveryRowAgreesWithItsSource) {
  for (const PointKindRow& row : kPointKindRows) {
    SCOPED_TRACE(row.name);
    for (const int count : {1, 7, 3000, 70000}) {
      if (!drawsSamples(row.kind) && count > 100) continue;
      const SourceRequest request =
          specOf(Family::kUniform, 3, {1, 2, 8}, {3, 2, 9}, count, row.kind);
      const auto source = makeJobSource(request);
      const PhaseJobs phase = phaseJobsOf(row.kind, 3, count);
      EXPECT_EQ(source->jobCount(), phase.jobs);
      EXPECT_EQ(source->chunkPlan().units, phase.plan.units);
      EXPECT_EQ(source->chunkPlan().chunks, phase.plan.chunks);
      std::uint64_t jobs = 0;
      for (std::size_t c = 0; c < phase.plan.chunks; ++c) {
        jobs += source->chunkJobs(c);
      }
      EXPECT_EQ(jobs, phase.jobs);
      const FamilyBox box = phaseBox(request);
      EXPECT_EQ(box.lower, source->box().lower);
      EXPECT_EQ(box.upper, source->box().upper);
      EXPECT_FALSE(describeJobs(row.kind, 3, count).empty());
    }
  }
}

// A --digits round of random points is one run of R * N samples, the same
// samples as a phase of that count, whose blocks fall into the R batches.
TEST(PointKindsTest, RandomRoundsAreOneRunOfSamples) {
  const SourceRequest request =
      specOf(Family::kNormal, 2, {1, 2}, {3, 2}, 16384, PointKind::kRandom);
  const auto round =
      makeDesignSource(request, PointDesign{PointKind::kRandom, 16, 1024});
  const auto whole = makeJobSource(request);
  EXPECT_EQ(round->jobCount(), 16384u);
  ASSERT_EQ(round->batchCount(), 16u);
  EXPECT_EQ(round->batchJobs(15), 1024u);
  JobBlock a(2), b(2);
  round->fill(0, 3, a);
  whole->fill(0, 3, b);
  EXPECT_EQ(a.values, b.values);
  EXPECT_EQ(round->batchOf(0, 3), 3u);
  EXPECT_THROW(makeDesignSource(specOf(Family::kNormal, 2, {1, 2}, {3, 2}, 4),
                                PointDesign{PointKind::kEnumeration, 1, 4}),
               std::invalid_argument);
}

// Jobs per phase saturate instead of wrapping, and a count below 1 has none.
TEST(PointKindsTest, JobsPerPhaseSaturate) {
  EXPECT_EQ(phaseJobsOf(PointKind::kEnumeration, 4, 50).jobs, 6250000u);
  EXPECT_EQ(phaseJobsOf(PointKind::kEnumeration, 20, 1000).jobs, UINT64_MAX);
  EXPECT_EQ(phaseJobsOf(PointKind::kEnumeration, 3, 0).jobs, 0u);
  EXPECT_EQ(phaseJobsOf(PointKind::kRandom, 500, 100000).jobs, 100000u);
  EXPECT_EQ(phaseJobsOf(PointKind::kRandom, 4, -1).jobs, 0u);
  EXPECT_EQ(phaseJobsOf(PointKind::kSobol, 4, 100000).jobs, 131072u);
  // The cells themselves count the same way: 1000^20 saturates too.
  const EnumerationJobs cells{20, RectangleTable(1000, std::vector<SampleRectangle>(20))};
  EXPECT_EQ(cells.jobCount(), UINT64_MAX);
  EXPECT_EQ(cells.jobsPerPrefix(), UINT64_MAX);
  EXPECT_EQ(cells.chunkPlan().chunks,
            phaseJobsOf(PointKind::kEnumeration, 20, 1000).plan.chunks);
}

}  // namespace
}  // namespace linprob
