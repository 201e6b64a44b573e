#include "results/probability_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace linprob {
namespace {

using Samples = std::vector<SampleRectangle>;

LinearSystem systemWithOrder(std::vector<unsigned> order) {
  LinearSystem system(static_cast<unsigned>(order.size()));
  system.columnOrder = std::move(order);
  return system;
}

std::string printed(const SampleTable& table, const LinearSystem& system,
                    int h) {
  std::ostringstream out;
  printProbabilities(table, system, h, out);
  return out.str();
}

std::vector<std::pair<double, double>> validEntries(const ProbabilityMap& map) {
  std::vector<std::pair<double, double>> entries;
  for (const auto& [key, sides] : map) {
    EXPECT_EQ(sides.second, 0.0) << "INVALID side written at " << key;
    entries.emplace_back(key, sides.first);
  }
  return entries;
}

double up(double x, int ulps) {
  for (int k = 0; k < ulps; ++k) x = std::nextafter(x, 2.0 * x + 1.0);
  return x;
}

TEST(ProbabilityTable, SortOrdersByValueAndPutsNotANumberLast) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Samples samples{{3, 0.1}, {nan, 0.2}, {-1, 0.3}, {2, 0.4}, {nan, 0.5}};
  sortSamples(samples);
  EXPECT_EQ(samples[0].value, -1);
  EXPECT_EQ(samples[0].probability, 0.3);
  EXPECT_EQ(samples[1].value, 2);
  EXPECT_EQ(samples[2].value, 3);
  EXPECT_TRUE(std::isnan(samples[3].value));
  EXPECT_TRUE(std::isnan(samples[4].value));
  EXPECT_TRUE(sampleLess({1, 9}, {2, 0}));
  EXPECT_FALSE(sampleLess({2, 0}, {2, 9}));
}

// Four samples 0, 1, 1, 4 of weight 0.25 in four bands: the value 4 closes
// band 1 and two empty bands before it lands in band 4.
TEST(ProbabilityTable, WorkedExamplePrintsAndStoresEveryBand) {
  const SampleTable table{{{0, 0.25}, {1, 0.25}, {1, 0.25}, {4, 0.25}}};
  const LinearSystem system = systemWithOrder({0});
  EXPECT_EQ(printed(table, system, 4),
            "Showing probabilities for variable number 0\n"
            "<0 : 0\n"
            "0 to 1 : P=0.75\n"
            "1 to 2 : P=0\n"
            "2 to 3 : P=0\n"
            "3 to 4 : P=0.25\n");

  ResultStore store(1, 1, 4, 3);
  storeHistogram(table, system, 4, store, 0, 0, 0);
  const std::vector<std::pair<double, double>> expected{
      {1, 0.75}, {2, 0}, {3, 0}, {4, 0.25}};
  EXPECT_EQ(validEntries(store.bins[0][0][0][0]), expected);
  EXPECT_TRUE(store.lowerTail[0][0][0][0].empty());
  EXPECT_TRUE(store.upperTail[0][0][0][0].empty());
}

TEST(ProbabilityTable, EqualSamplesMakeOneBandKeyedMin) {
  const SampleTable table{{{3, 0.5}, {3, 0.25}, {3, 0.25}}};
  const LinearSystem system = systemWithOrder({0});
  EXPECT_EQ(printed(table, system, 10),
            "Showing probabilities for variable number 0\n"
            "<3 : 0\n"
            "3 to 3 : P=1\n");
  ResultStore store(1, 1, 1, 1);
  storeHistogram(table, system, 10, store, 0, 0, 0);
  const std::vector<std::pair<double, double>> expected{{3, 1}};
  EXPECT_EQ(validEntries(store.bins[0][0][0][0]), expected);
}

TEST(ProbabilityTable, ValueOnABorderBelongsToTheLowerBand) {
  const SampleTable table{{{0, 0.125}, {1, 0.25}, {1, 0.125}, {2, 0.5}}};
  const LinearSystem system = systemWithOrder({0});
  EXPECT_EQ(printed(table, system, 2),
            "Showing probabilities for variable number 0\n"
            "<0 : 0\n"
            "0 to 1 : P=0.5\n"
            "1 to 2 : P=0.5\n");
}

// 0.1 added ten times to 0 gives 0.9999999999999999, just below Max = 1, so
// an eleventh band holds the largest sample.
TEST(ProbabilityTable, EleventhBandWhenTheTenthBorderRoundsBelowMax) {
  double border = 0.0;
  std::vector<double> borders;
  for (int k = 0; k < 11; ++k) {
    border = border + 0.1;
    borders.push_back(border);
  }
  ASSERT_LT(borders[9], 1.0) << "the case needs b10 below Max";

  const SampleTable table{{{0, 0.25}, {0.25, 0.25}, {1, 0.5}}};
  const LinearSystem system = systemWithOrder({0});
  EXPECT_EQ(printed(table, system, 10),
            "Showing probabilities for variable number 0\n"
            "<0 : 0\n"
            "0 to 0.1 : P=0.25\n"
            "0.1 to 0.2 : P=0\n"
            "0.2 to 0.3 : P=0.25\n"
            "0.3 to 0.4 : P=0\n"
            "0.4 to 0.5 : P=0\n"
            "0.5 to 0.6 : P=0\n"
            "0.6 to 0.7 : P=0\n"
            "0.7 to 0.8 : P=0\n"
            "0.8 to 0.9 : P=0\n"
            "0.9 to 1 : P=0\n"
            "1 to 1.1 : P=0.5\n");
  ResultStore store(1, 1, 1, 1);
  storeHistogram(table, system, 10, store, 0, 0, 0);
  const std::vector<std::pair<double, double>> entries =
      validEntries(store.bins[0][0][0][0]);
  ASSERT_EQ(entries.size(), 11u);
  for (std::size_t k = 0; k < 11; ++k) EXPECT_EQ(entries[k].first, borders[k]);
  EXPECT_EQ(entries[10].second, 0.5);
}

// Min = 1, Max two ulps above: step no longer moves a border, and the walk
// must still end, with every sample in its one band.
TEST(ProbabilityTable, BordersThatDoNotMoveEndTheWalk) {
  const double max = up(1.0, 2);
  const SampleTable table{{{1, 0.25}, {up(1.0, 1), 0.25}, {max, 0.5}}};
  const LinearSystem system = systemWithOrder({0});
  EXPECT_EQ(printed(table, system, 10),
            "Showing probabilities for variable number 0\n"
            "<1 : 0\n"
            "1 to 1 : P=1\n");
  ResultStore store(1, 1, 1, 1);
  storeHistogram(table, system, 10, store, 0, 0, 0);
  const std::vector<std::pair<double, double>> expected{{1, 1}};
  EXPECT_EQ(validEntries(store.bins[0][0][0][0]), expected);
}

// A range of a few ulps where every border moves by one ulp but H + 1 bands
// still end below Max: the walk stops at H + 1 bands and the last one takes
// the rest.
TEST(ProbabilityTable, WalkNeverOpensMoreThanHPlusOneBands) {
  constexpr int kH = 10;
  int ulps = 0;
  for (int k = kH + 1; k < 64 && ulps == 0; ++k) {
    const double step = (up(1.0, k) - 1.0) / kH;
    double border = 1.0;
    bool moves = true;
    for (int b = 0; b < kH + 1; ++b) {
      const double next = border + step;
      moves = moves && next != border;
      border = next;
    }
    if (moves && border < up(1.0, k)) ulps = k;
  }
  ASSERT_NE(ulps, 0) << "no range found whose H + 1 borders stay below Max";

  const SampleTable table{{{1, 0.25}, {up(1.0, ulps - 1), 0.25},
                           {up(1.0, ulps), 0.5}}};
  ResultStore store(1, 1, 1, 1);
  storeHistogram(table, systemWithOrder({0}), kH, store, 0, 0, 0);
  const std::vector<std::pair<double, double>> entries =
      validEntries(store.bins[0][0][0][0]);
  ASSERT_EQ(entries.size(), static_cast<std::size_t>(kH + 1));
  EXPECT_LT(entries.back().first, up(1.0, ulps));
  EXPECT_EQ(entries.front().second, 0.25);
  EXPECT_EQ(entries.back().second, 0.75);
}

// Position 0 holds unknown 2 and position 2 unknown 0; position 1 (unknown
// 1) solved nothing.
TEST(ProbabilityTable, PositionsMapThroughColumnOrderAndEmptyOnesAreNamed) {
  const SampleTable table{{{5, 1}}, {}, {{-1, 0.5}, {1, 0.5}}};
  const LinearSystem system = systemWithOrder({2, 1, 0});
  EXPECT_EQ(printed(table, system, 1),
            "Showing probabilities for variable number 2\n"
            "<5 : 0\n"
            "5 to 5 : P=1\n"
            "No samples were solved for variable number 1.\n"
            "Showing probabilities for variable number 0\n"
            "<-1 : 0\n"
            "-1 to 1 : P=1\n");

  ResultStore store(3, 2, 4, 3);
  storeHistogram(table, system, 1, store, 1, 3, 2);
  const std::vector<std::pair<double, double>> unknown2{{5, 1}};
  const std::vector<std::pair<double, double>> unknown0{{1, 1}};
  EXPECT_EQ(validEntries(store.bins[2][1][3][2]), unknown2);
  EXPECT_EQ(validEntries(store.bins[0][1][3][2]), unknown0);
  EXPECT_TRUE(store.bins[1][1][3][2].empty());
  EXPECT_TRUE(store.bins[0][0][3][2].empty());
  EXPECT_TRUE(store.bins[0][1][2][2].empty());
  EXPECT_TRUE(store.bins[0][1][3][1].empty());
}

}  // namespace
}  // namespace linprob
