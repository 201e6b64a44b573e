// Correlated entries: what is not a correlation matrix is refused in words,
// R's factor gives R back (singular or not), and the copula keeps each
// entry's law while its entries take the copula's correlation: rho for
// normal entries, 6/pi asin(rho/2) for uniform ones.
#include "distributions/entry_correlation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "distributions/job_source.h"
#include "distributions/point_design.h"
#include "distributions/point_generator.h"
#include "distributions/point_kinds.h"
#include "distributions/sample_blocks.h"
#include "support/pair_entries.h"

namespace linprob {
namespace {

TEST(EntryCorrelationTest, WhatIsNotACorrelationMatrixIsRefused) {
  EXPECT_TRUE(checkCorrelation({1, 0.3, 0.3, 1}, 2).empty());
  EXPECT_EQ(checkCorrelation({1, 0.5, 0.4, 1}, 2),
            (std::vector<std::string>{
                "entry (0, 1) is 0.5 but entry (1, 0) is 0.4: R must be "
                "symmetric"}));
  EXPECT_EQ(checkCorrelation({0.9, 0, 1.5, 0, NAN, 0, 1.5, 0, 1}, 3),
            (std::vector<std::string>{
                "entry (0, 0) is 0.9: the diagonal must be 1",
                "entry (0, 2) is 1.5: outside [-1, 1]",
                "entry (1, 1) is not finite (nan)",
                "entry (2, 0) is 1.5: outside [-1, 1]"}));
  // Pairwise correlations of 0.9, 0.9 and -0.9 cannot be: the leading 2 x 2
  // minor is 0.19, the 3 x 3 one 1 - 3 (0.81) - 2 (0.729) < 0.
  EXPECT_EQ(checkCorrelation({1, 0.9, 0.9, 0.9, 1, -0.9, 0.9, -0.9, 1}, 3),
            (std::vector<std::string>{
                "not positive semidefinite: its leading minor of order 3 is "
                "negative (-2.888)"}));
}

// L L^T in pivot order is R, for a regular R and for one of rank 2 (two
// entries perfectly correlated).
TEST(EntryCorrelationTest, TheFactorGivesRBack) {
  const std::vector<std::vector<double>> matrices = {
      {1, 0.5, 0.25, 0.5, 1, 0.5, 0.25, 0.5, 1},
      {1, 1, 0.5, 1, 1, 0.5, 0.5, 0.5, 1}};
  const std::vector<unsigned> ranks = {3, 2};
  for (std::size_t m = 0; m < matrices.size(); ++m) {
    const std::vector<double>& r = matrices[m];
    const auto factor = CorrelationFactor::of(r, 3);
    ASSERT_TRUE(factor);
    EXPECT_EQ(factor->rank, ranks[m]);
    for (unsigned i = 0; i < 3; ++i) {
      for (unsigned j = 0; j < 3; ++j) {
        double sum = 0.0;
        for (unsigned k = 0; k < 3; ++k) {
          sum += factor->lower[i * 3 + k] * factor->lower[j * 3 + k];
          if (k > i) {
            EXPECT_EQ(factor->lower[i * 3 + k], 0.0);
          }
        }
        EXPECT_NEAR(sum, r[factor->order[i] * 3 + factor->order[j]], 1e-15);
      }
    }
  }
  EXPECT_FALSE(CorrelationFactor::of({1, 1, 1, -1, 1, 1, 1, 1, 1}, 3));
}

// [entry][sample] of `samples` draws of two entries of correlation `rho`
// through the copula, by `kind`.
std::vector<std::vector<double>> correlatedDraws(Family family, PointKind kind,
                                                 double rho, int samples) {
  SourceRequest request;
  request.family = &familyInfo(family);
  request.n = 2;
  request.entries = family == Family::kNormal
                        ? testing::pairEntries({1.0, -2.0}, {4.0, 0.25})
                        : testing::pairEntries({0.0, 2.0}, {1.0, 5.0});
  request.count = samples;
  request.seed = 77;
  request.kind = kind;
  request.correlation = std::make_shared<const CorrelationFactor>(
      *CorrelationFactor::of({1, rho, rho, 1}, 2));
  const PointDesign design = pointDesign(kind, samples);
  const std::unique_ptr<PointGenerator> points =
      pointKindRow(kind).generator(request, design);
  std::vector<std::vector<double>> draws(2);
  JobBlock block(2);
  for (std::uint64_t unit = 0; unit < design.blockCount(); ++unit) {
    const std::size_t count = points->fill(unit, block);
    for (unsigned e = 0; e < 2; ++e) {
      draws[e].insert(draws[e].end(), block.entry(e), block.entry(e) + count);
    }
  }
  return draws;
}

double correlationOf(const std::vector<std::vector<double>>& draws) {
  const double count = static_cast<double>(draws[0].size());
  double mean[2] = {0, 0};
  for (int e = 0; e < 2; ++e) {
    for (double v : draws[e]) mean[e] += v / count;
  }
  double xy = 0, xx = 0, yy = 0;
  for (std::size_t s = 0; s < draws[0].size(); ++s) {
    const double x = draws[0][s] - mean[0];
    const double y = draws[1][s] - mean[1];
    xy += x * y;
    xx += x * x;
    yy += y * y;
  }
  return xy / std::sqrt(xx * yy);
}

TEST(EntryCorrelationTest, TheCopulaKeepsEachLawAndGivesItsCorrelation) {
  const double rho = 0.7;
  // 2^17 samples: a correlation's standard error is about
  // (1 - r^2) / sqrt(N) < 0.0015; five of them are allowed.
  constexpr int kSamples = 1 << 17;
  for (const PointKind kind : {PointKind::kRandom, PointKind::kSobol}) {
    const auto normal = correlatedDraws(Family::kNormal, kind, rho, kSamples);
    EXPECT_NEAR(correlationOf(normal), rho, 0.0075);
    const auto uniform = correlatedDraws(Family::kUniform, kind, rho, kSamples);
    EXPECT_NEAR(correlationOf(uniform),
                6.0 / std::numbers::pi * std::asin(rho / 2.0), 0.0075);
    // The second uniform entry keeps its own law on [2, 5).
    double mean = 0.0;
    for (double v : uniform[1]) {
      ASSERT_GE(v, 2.0);
      ASSERT_LT(v, 5.0);
      mean += v / kSamples;
    }
    EXPECT_NEAR(mean, 3.5, 0.02);
  }
}

}  // namespace
}  // namespace linprob
