#include "distributions/job_source_kinds.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "distributions/enumeration_source.h"
#include "distributions/point_blocks.h"
#include "distributions/sampling_source.h"
#include "distributions/discretisation.h"
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
                 std::vector<double> second, int count) {
  SourceRequest request;
  request.family = &familyInfo(family);
  request.n = n;
  request.entries = testing::pairEntries(first, second);
  request.count = count;
  request.seed = 0xfedcba9876543210u;
  return request;
}

TEST(JobSourceKindsTest, EnumerationBuildsTheFamilysCells) {
  const auto normal = makeJobSource(
      JobSourceKind::kEnumeration, specOf(Family::kNormal, 2, {10, 0}, {4, 0}, 3));
  ASSERT_NE(normal->cells(), nullptr);
  EXPECT_TRUE(sameCells(normal->cells()->cells, normalCells(2, 3, {10, 0}, {4, 0})));
  EXPECT_EQ(normal->jobCount(), 9u);
  EXPECT_FALSE(normal->seed());

  // The pair holds a variance: one cell sits 1.12468265 deviations (2)
  // below the mean.
  const auto one = makeJobSource(JobSourceKind::kEnumeration,
                                 specOf(Family::kNormal, 1, {10}, {4}, 1));
  ASSERT_EQ(one->cells()->cells.size(), 1u);
  EXPECT_NEAR(one->cells()->cells[0][0].value, 10.0 - 1.12468265 * 2.0, 1e-12);

  const auto triangular =
      makeJobSource(JobSourceKind::kEnumeration,
                    specOf(Family::kTriangular, 2, {1, 2}, {3, 2}, 4));
  EXPECT_TRUE(sameCells(triangular->cells()->cells,
                        triangularCells(2, 4, {1.0, 2.0}, {3.0, 2.0})));
  const auto uniform =
      makeJobSource(JobSourceKind::kEnumeration,
                    specOf(Family::kUniform, 3, {1, 2, 8}, {3, 2, 9}, 2));
  EXPECT_TRUE(sameCells(uniform->cells()->cells,
                        uniformCells(3, 2, {1.0, 2.0, 8.0}, {3.0, 2.0, 9.0})));
}

TEST(JobSourceKindsTest, SamplingKeepsTheParametersAndTheSeed) {
  for (const Family family : {Family::kTriangular, Family::kUniform}) {
    const auto source = makeJobSource(
        JobSourceKind::kSampling, specOf(family, 2, {1, 2}, {3, 2}, 7));
    EXPECT_EQ(source->cells(), nullptr);
    EXPECT_EQ(source->jobCount(), 7u);
    EXPECT_EQ(source->seed(), 0xfedcba9876543210u);
    const SamplingJobs& sampling =
        dynamic_cast<const SamplingSource&>(*source).jobs();
    EXPECT_EQ(sampling.family, family);
    EXPECT_EQ(sampling.parameters.numbers,
              (std::vector<double>{1.0, 3.0, 2.0, 2.0}));
  }
}

// Sobol' and Latin hypercube points: the design's jobs, chunks nested in
// its 16 replicates (each a batch), every block as PointBlocks fills it.
TEST(JobSourceKindsTest, SamplingDrawsTheChosenPoints) {
  for (const PointSet points : {PointSet::kSobol, PointSet::kLatinHypercube}) {
    SourceRequest request = specOf(Family::kNormal, 2, {1, 2}, {3, 2}, 100000);
    request.points = points;
    const auto source = makeJobSource(JobSourceKind::kSampling, request);
    const PointDesign design = pointDesign(points, 100000);
    EXPECT_EQ(source->jobCount(), design.jobCount());
    EXPECT_EQ(source->seed(), request.seed);
    ASSERT_EQ(source->batchCount(), 16u);
    const PointBlocks blocks(familyInfo(Family::kNormal),
                             testing::pairEntries({1, 2}, {3, 2}), request.seed,
                             design);
    JobBlock mine(2), theirs(2);
    std::uint64_t unit = 0;
    for (std::size_t c = 0; c < source->chunkPlan().chunks; ++c) {
      for (std::uint64_t k = 0; k < source->chunkBlocks(c); ++k, ++unit) {
        EXPECT_EQ(source->batchOf(c, k), design.replicateOf(unit));
        if (unit % 13 != 0) continue;
        source->fill(c, k, mine);
        blocks.fill(unit, theirs);
        ASSERT_EQ(mine.count, theirs.count);
        EXPECT_EQ(mine.values, theirs.values);
        EXPECT_EQ(mine.probabilities, theirs.probabilities);
      }
    }
    EXPECT_EQ(unit, design.blockCount());
  }
  EXPECT_EQ(pointSetNamed("lhs"), PointSet::kLatinHypercube);
  EXPECT_EQ(pointSetName(PointSet::kSobol), std::string("sobol"));
  EXPECT_FALSE(pointSetNamed("quasi").has_value());
}

// Jobs per phase saturate instead of wrapping, and a count below 1 has none.
TEST(JobSourceKindsTest, JobsPerPhaseSaturate) {
  const auto& enumeration = jobSourceRow(JobSourceKind::kEnumeration);
  EXPECT_EQ(enumeration.jobsPerPhase(4, 50), 6250000u);
  EXPECT_EQ(enumeration.jobsPerPhase(20, 1000), UINT64_MAX);
  EXPECT_EQ(enumeration.jobsPerPhase(3, 0), 0u);
  const auto& sampling = jobSourceRow(JobSourceKind::kSampling);
  EXPECT_EQ(sampling.jobsPerPhase(500, 100000), 100000u);
  EXPECT_EQ(sampling.jobsPerPhase(4, -1), 0u);
}

}  // namespace
}  // namespace linprob
