#include "solve/coverage_search.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "results/coverage_interval.h"
#include "solve/fine_histogram.h"

namespace linprob {
namespace {

// A histogram of a given shape over [0, 1] (of mass below 2, as the fixed
// point counts need): smooth bumps, spikes, gaps,
// all the mass in one sub-band, plateaus of equal counts (many ties of the
// shortest width).
FineHistogram randomHistogram(std::mt19937& random, int shape) {
  FineHistogram histogram(0.0, 1.0);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::normal_distribution<double> normal(0.5, 0.12);
  switch (shape) {
    case 0:  // a bump, or two
      for (int j = 0; j < 20000; ++j) {
        const double x = j % 3 == 0 ? normal(random) * 0.5 + 0.1 : normal(random);
        histogram.add(x, 1e-4 * unit(random));
      }
      break;
    case 1:  // spikes on a light floor
      for (int j = 0; j < 40; ++j) histogram.add(unit(random), unit(random) / 40);
      for (int j = 0; j < 500; ++j) histogram.add(unit(random), 1e-6);
      break;
    case 2:  // one sub-band
      histogram.add(unit(random), 0.75);
      break;
    case 3:  // flat: every sub-band alike
      for (std::size_t k = 0; k < kFineSubBands; ++k) {
        histogram.add((static_cast<double>(k) + 0.5) / kFineSubBands, 1e-5);
      }
      break;
    default:  // two flat blocks with a gap
      for (std::size_t k = 0; k < kFineSubBands; ++k) {
        if (k % 5000 < 1700) {
          histogram.add((static_cast<double>(k) + 0.5) / kFineSubBands, 3e-5);
        }
      }
      break;
  }
  return histogram;
}

// The search over the histogram's own cumulative masses finds exactly the
// borders of the pass over every sub-band, asks for each C_k once, and,
// unless the histogram is flat, for few of them.
TEST(CoverageSearchTest, FindsTheBordersOfThePassOverEverySubBand) {
  std::mt19937 random(5150);
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const FineHistogram histogram = randomHistogram(random, round % 5);
    std::vector<std::uint64_t> cumulative(kFineSubBands + 1, 0);
    for (std::size_t k = 0; k < kFineSubBands; ++k) {
      cumulative[k + 1] = cumulative[k] + histogram.counts()[k];
    }
    std::set<std::size_t> asked;
    int repeated = 0;
    const CoverageBorders found = searchCoverage(
        kFineSubBands, histogram.total(), [&](std::size_t k) {
          EXPECT_GT(k, 0u);
          EXPECT_LT(k, kFineSubBands);
          if (!asked.insert(k).second) ++repeated;
          return cumulative[k];
        });
    const std::optional<CoverageInterval> expected =
        coverageInterval(histogram);
    ASSERT_TRUE(expected.has_value());
    EXPECT_EQ(found.symmetricLower, expected->symmetricLowerBorder);
    EXPECT_EQ(found.symmetricUpper, expected->symmetricUpperBorder);
    EXPECT_EQ(found.shortestLower, expected->shortestLowerBorder);
    EXPECT_EQ(found.shortestUpper, expected->shortestUpperBorder);
    EXPECT_EQ(repeated, 0);
    // Flat histograms tie everywhere: every left border must be looked at.
    if (round % 5 < 3) {
      EXPECT_LT(asked.size(), kFineSubBands / 16);
    }
    const CoverageInterval at = coverageIntervalAt(0.0, 1.0, found);
    EXPECT_EQ(at.shortestLower, expected->shortestLower);
    EXPECT_EQ(at.symmetricUpper, expected->symmetricUpper);
    EXPECT_EQ(at.resolution, expected->resolution);
  }
}

}  // namespace
}  // namespace linprob
