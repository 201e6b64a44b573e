// Enumerated correlated entries: every combination of the normal cells,
// mapped through the copula. For the normal family the jobs' covariance is
// the cells' variance times D R D (whatever the cells' mean); a uniform pair's
// correlation approaches 6/pi asin(rho/2) as the cells grow; the box holds
// every job.
#include "distributions/copula_enumeration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "distributions/point_kinds.h"
#include "support/pair_entries.h"

namespace linprob {
namespace {

struct Moments {
  double total = 0.0;  // of the probabilities
  double mean[2] = {0.0, 0.0};
  double covariance[2][2] = {{0.0, 0.0}, {0.0, 0.0}};
};

// Every job of the source: the weighted moments of its two entries, each
// job checked against the box.
Moments enumerated(const JobSource& source) {
  const FamilyBox box = source.box();
  EXPECT_FALSE(box.faultyEntry);
  std::vector<double> values[2];
  std::vector<double> weights;
  JobBlock block(2);
  for (std::size_t c = 0; c < source.chunkPlan().chunks; ++c) {
    for (std::uint64_t k = 0; k < source.chunkBlocks(c); ++k) {
      source.fill(c, k, block);
      for (std::size_t j = 0; j < block.count; ++j) {
        for (unsigned e = 0; e < 2; ++e) {
          const double v = block.entry(e)[j];
          EXPECT_GE(v, box.lower[e]);
          EXPECT_LE(v, box.upper[e]);
          values[e].push_back(v);
        }
        weights.push_back(block.probabilities[j]);
      }
    }
  }
  EXPECT_EQ(weights.size(), source.jobCount());
  Moments m;
  for (std::size_t j = 0; j < weights.size(); ++j) {
    m.total += weights[j];
    for (unsigned e = 0; e < 2; ++e) m.mean[e] += weights[j] * values[e][j];
  }
  for (std::size_t j = 0; j < weights.size(); ++j) {
    for (unsigned a = 0; a < 2; ++a) {
      for (unsigned b = 0; b < 2; ++b) {
        m.covariance[a][b] += weights[j] * (values[a][j] - m.mean[a]) *
                              (values[b][j] - m.mean[b]);
      }
    }
  }
  return m;
}

SourceRequest correlatedRequest(Family family, EntryParameters entries,
                                int cells, double rho) {
  SourceRequest request;
  request.family = &familyInfo(family);
  request.n = 2;
  request.entries = std::move(entries);
  request.count = cells;
  request.kind = PointKind::kEnumeration;
  request.correlation = std::make_shared<const CorrelationFactor>(
      *CorrelationFactor::of({1, rho, rho, 1}, 2));
  return request;
}

TEST(CopulaEnumerationTest, NormalCellsGiveTheCovarianceOfTheCopula) {
  const double rho = -0.6;
  const int cells = 15;
  const SourceRequest request = correlatedRequest(
      Family::kNormal, testing::pairEntries({1.0, -2.0}, {4.0, 0.25}), cells,
      rho);
  const std::unique_ptr<JobSource> source = makeJobSource(request);
  EXPECT_EQ(source->cells(), nullptr);  // no shortcut sees the normal cells
  const Moments m = enumerated(*source);
  // The cells' own variance of one standard normal.
  SourceRequest plain = request;
  plain.correlation = nullptr;
  plain.entries = testing::pairEntries({0.0, 0.0}, {1.0, 1.0});
  const Moments standard = enumerated(*makeJobSource(plain));
  const double v = standard.covariance[0][0];
  EXPECT_NEAR(m.total, 1.0, 1e-13);
  EXPECT_NEAR(m.covariance[0][0], v * 4.0, 1e-12);
  EXPECT_NEAR(m.covariance[1][1], v * 0.25, 1e-12);
  EXPECT_NEAR(m.covariance[0][1], v * rho * 2.0 * 0.5, 1e-12);
}

TEST(CopulaEnumerationTest, UniformCellsApproachTheCopulaCorrelation) {
  const double rho = 0.7;
  const double exact = 6.0 / std::numbers::pi * std::asin(rho / 2.0);
  double previous = 1.0;
  for (const int cells : {8, 32, 128}) {
    const Moments m = enumerated(*makeJobSource(correlatedRequest(
        Family::kUniform, testing::pairEntries({0.0, 2.0}, {1.0, 5.0}), cells,
        rho)));
    const double r =
        m.covariance[0][1] / std::sqrt(m.covariance[0][0] * m.covariance[1][1]);
    EXPECT_LT(std::abs(r - exact), previous) << cells;
    previous = std::abs(r - exact);
  }
  EXPECT_LT(previous, 0.01);
}

}  // namespace
}  // namespace linprob
