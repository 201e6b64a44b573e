#include "results/coverage_interval.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "distributions/enumeration_source.h"
#include "distributions/point_kinds.h"
#include "linear/step_replay.h"
#include "solve/phase_solver.h"
#include "support/pair_entries.h"

namespace linprob {
namespace {

// A histogram over [0, S) (border k is k) whose sub-band k holds units[k]
// units of 2^-8 (exact fixed-point counts).
FineHistogram histogramOf(const std::vector<int>& units) {
  FineHistogram h(0.0, static_cast<double>(units.size()), units.size());
  for (std::size_t k = 0; k < units.size(); ++k) {
    h.add(static_cast<double>(k) + 0.5, units[k] * 0x1p-8);
  }
  return h;
}

TEST(CoverageInterval, ThresholdsAreInclusiveAndExact) {
  // Total 40 units: exactly 2.5 % below border 1 and exactly 97.5 % below
  // border 3, so both borders qualify; 95 % is 38 units.
  const auto c = coverageInterval(histogramOf({1, 18, 20, 1}));
  ASSERT_TRUE(c);
  EXPECT_EQ(c->symmetricLower, 1.0);
  EXPECT_EQ(c->symmetricUpper, 3.0);
  EXPECT_EQ(c->shortestLower, 1.0);
  EXPECT_EQ(c->shortestUpper, 3.0);
  EXPECT_EQ(c->resolution, 1.0);
  // One unit more on the left end moves the lower border back to 0.
  const auto d = coverageInterval(histogramOf({2, 17, 20, 1}));
  ASSERT_TRUE(d);
  EXPECT_EQ(d->symmetricLower, 0.0);
}

// The borders by their definitions, on random histograms whose small totals
// often put a threshold exactly on a border: symmetric, the last k with
// 40 C_k <= total and the first with 40 C_k >= 39 total; shortest, the
// narrowest [i, j] with 20 (C_j - C_i) >= 19 total, the leftmost of equals.
// Some have their mass in one run of sub-bands between empty ones (the
// scans from either end cross long empty tails) or in one sub-band only;
// some are smooth with one or two bumps over up to 512 sub-bands, where
// the search for the shortest passes over most left borders.
TEST(CoverageInterval, BordersFollowTheirDefinitionsOnRandomHistograms) {
  std::mt19937 random(5);
  for (int trial = 0; trial < 4000; ++trial) {
    const bool smooth = trial % 8 == 3;
    std::vector<int> units(std::size_t{1}
                           << (smooth ? 6 + random() % 4 : random() % 7));
    const std::size_t s = units.size();
    const std::size_t from = random() % s;
    const std::size_t to = from + 1 + random() % (s - from);
    const bool run = trial % 4 == 1;
    for (std::size_t k = 0; k < s; ++k) {
      const bool empty = run ? k < from || k >= to : random() % 3 == 0;
      units[k] = empty ? 0 : static_cast<int>(random() % 9);
    }
    units[trial % 4 == 2 ? from : run ? from + random() % (to - from)
                                      : random() % s] += 1;
    if (trial % 4 == 2) {
      for (std::size_t k = 0; k < s; ++k) {
        if (k != from) units[k] = 0;
      }
    }
    if (smooth) {
      const double middle = static_cast<double>(random() % s);
      const double other = static_cast<double>(random() % s);
      const double width = 2.0 + static_cast<double>(random() % s) / 4.0;
      const double share = static_cast<double>(random() % 3) / 2.0;
      // About 900 units in all: the fixed-point total stays below 2^64.
      std::vector<double> shape(s);
      double sum = 0.0;
      for (std::size_t k = 0; k < s; ++k) {
        const double x = static_cast<double>(k);
        const double a = (x - middle) / width;
        const double b = (x - other) / (width / 2.0);
        shape[k] = std::exp(-a * a) + share * std::exp(-b * b);
        sum += shape[k];
      }
      for (std::size_t k = 0; k < s; ++k) {
        units[k] = static_cast<int>(880.0 * shape[k] / sum) +
                   static_cast<int>(random() % 5 == 0);
      }
    }
    std::vector<long> c(s + 1, 0);
    for (std::size_t k = 0; k < s; ++k) c[k + 1] = c[k] + units[k];
    const long total = c[s];
    std::size_t lower = 0;
    for (std::size_t k = 0; k <= s; ++k) {
      if (40 * c[k] <= total) lower = k;
    }
    std::size_t upper = 0;
    while (40 * c[upper] < 39 * total) ++upper;
    std::size_t left = 0;
    std::size_t right = s;
    for (std::size_t i = 0; i <= s; ++i) {
      for (std::size_t j = i; j <= s; ++j) {
        if (20 * (c[j] - c[i]) >= 19 * total) {
          if (j - i < right - left) {
            left = i;
            right = j;
          }
          break;
        }
      }
    }
    const FineHistogram histogram = histogramOf(units);
    const auto got = coverageInterval(histogram);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->symmetricLowerBorder, lower) << trial;
    EXPECT_EQ(got->symmetricUpperBorder, upper) << trial;
    EXPECT_EQ(got->shortestLowerBorder, left) << trial;
    EXPECT_EQ(got->shortestUpperBorder, right) << trial;
    const auto ends = symmetricEnds(histogram);
    ASSERT_TRUE(ends);
    EXPECT_EQ(ends->lower, static_cast<double>(lower)) << trial;
    EXPECT_EQ(ends->upper, static_cast<double>(upper)) << trial;
    std::uint64_t fixedTotal = 0;
    for (const std::uint64_t count : histogram.counts()) fixedTotal += count;
    const auto given =
        symmetricEnds(histogram.grid(), histogram.counts(), fixedTotal);
    ASSERT_TRUE(given);
    EXPECT_EQ(given->lower, ends->lower) << trial;
    EXPECT_EQ(given->upper, ends->upper) << trial;
  }
}

TEST(CoverageInterval, ShortestIntervalFindsTheNarrowWindow) {
  // Long light tail on the left, mass piled on the right.
  std::vector<int> units(32, 0);
  units[0] = 1;
  units[10] = 1;
  units[28] = 30;
  units[29] = 40;
  units[31] = 8;  // total 80: 95 % is 76 units
  const auto c = coverageInterval(histogramOf(units));
  ASSERT_TRUE(c);
  EXPECT_EQ(c->shortestLowerBorder, 28u);
  EXPECT_EQ(c->shortestUpperBorder, 32u);
  // 2 units (2.5 %) lie below every border from 11 to 28: the largest wins.
  EXPECT_EQ(c->symmetricLowerBorder, 28u);
  EXPECT_EQ(c->symmetricUpperBorder, 32u);  // 78 units only at the end
  // Equal windows [0, 3] and [1, 4]: the leftmost wins.
  const auto tie = coverageInterval(histogramOf({2, 18, 18, 2}));
  ASSERT_TRUE(tie);
  EXPECT_EQ(tie->shortestLower, 0.0);
  EXPECT_EQ(tie->shortestUpper, 3.0);
}

// Mass exactly on sub-band borders: x0 = b0 + b1 + b2 + b3 with four
// triangular entries of 6 cells on [-sqrt(3), sqrt(3)] takes lattice values,
// many of them on or next to a border. Every printed interval holds, in the
// closed interval it prints, at least 95 % of the mass, counted here job by
// job; and the intervals do not depend on the thread count.
TEST(CoverageInterval, PrintedIntervalsHoldTheirShareOfALattice) {
  const unsigned n = 4;
  LinearSystem system(n);
  const double rows[4][4] = {
      {1, -1, -1, -1}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  for (unsigned r = 0; r < n; ++r) {
    for (unsigned c = 0; c < n; ++c) system.setCoefficient(r, c, rows[r][c]);
  }
  system.eliminate(kPivotModes[0]);
  SourceRequest request;
  request.family = &familyInfo(Family::kTriangular);
  request.n = n;
  request.entries = testing::pairEntries(
      std::vector<double>(n, -std::sqrt(3.0)),
      std::vector<double>(n, std::sqrt(3.0)));
  request.count = 6;
  const std::unique_ptr<JobSource> source =
      makeJobSource(request);
  ASSERT_NE(source->cells(), nullptr);

  std::vector<CoverageInterval> found;
  for (const int threads : {1, 3}) {
    SolveOptions options;
    options.solverThreads = threads;
    options.references.assign(n, 0.0);
    PhaseBands bands = solvePhase(*source, system, options);
    ASSERT_TRUE(bands[0].fine);
    const auto coverage = coverageInterval(*bands[0].fine);
    ASSERT_TRUE(coverage);
    found.push_back(*coverage);
  }
  EXPECT_EQ(found[0].symmetricLower, found[1].symmetricLower);
  EXPECT_EQ(found[0].symmetricUpper, found[1].symmetricUpper);
  EXPECT_EQ(found[0].shortestLower, found[1].shortestLower);
  EXPECT_EQ(found[0].shortestUpper, found[1].shortestUpper);

  const RectangleTable& cells = source->cells()->cells;
  std::vector<double> values, weights;
  for (std::size_t a = 0; a < 6; ++a) {
    for (std::size_t b = 0; b < 6; ++b) {
      for (std::size_t c = 0; c < 6; ++c) {
        for (std::size_t d = 0; d < 6; ++d) {
          std::vector<double> x = {cells[a][0].value, cells[b][1].value,
                                   cells[c][2].value, cells[d][3].value};
          replaySteps(x, system.steps());
          values.push_back(x[0]);
          weights.push_back(cells[a][0].probability * cells[b][1].probability *
                            cells[c][2].probability * cells[d][3].probability);
        }
      }
    }
  }
  auto share = [&](double from, double to) {
    double inside = 0.0, total = 0.0;
    for (std::size_t j = 0; j < values.size(); ++j) {
      total += weights[j];
      if (from <= values[j] && values[j] <= to) inside += weights[j];
    }
    return inside / total;
  };
  const CoverageInterval& c = found[0];
  EXPECT_GE(share(c.symmetricLower, c.symmetricUpper), 0.95 - 1e-12);
  EXPECT_GE(share(c.shortestLower, c.shortestUpper), 0.95 - 1e-12);
}

TEST(CoverageInterval, NoMassNoInterval) {
  EXPECT_FALSE(coverageInterval(FineHistogram(0.0, 1.0, 16)));
  EXPECT_FALSE(symmetricEnds(FineHistogram(0.0, 1.0, 16)));
}

TEST(CoverageInterval, SymmetricEndsAloneAreTheIntervalsEnds) {
  for (const std::vector<int>& units :
       {std::vector<int>{1, 18, 20, 1}, std::vector<int>{2, 17, 20, 1},
        std::vector<int>{0, 0, 40, 0}, std::vector<int>{5, 1, 1, 1, 30, 2, 0, 0}}) {
    const FineHistogram histogram = histogramOf(units);
    const auto ends = symmetricEnds(histogram);
    const auto interval = coverageInterval(histogram);
    ASSERT_TRUE(ends && interval);
    EXPECT_EQ(ends->lower, interval->symmetricLower);
    EXPECT_EQ(ends->upper, interval->symmetricUpper);
  }
}

}  // namespace
}  // namespace linprob
