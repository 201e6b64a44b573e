#include "results/normal_approximation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "results/probability_table.h"

namespace linprob {
namespace {

using Moments = std::vector<NormalParameters>;

LinearSystem systemOfSize(unsigned n) { return LinearSystem(n); }

std::string printed(const Moments& approx, int h, const SampleTable& table,
                    const LinearSystem& system) {
  std::ostringstream out;
  printApproxProbabilities(approx, h, table, system, out);
  return out.str();
}

std::vector<double> keysOf(const ProbabilityMap& map) {
  std::vector<double> keys;
  for (const auto& entry : map) keys.push_back(entry.first);
  return keys;
}

double up(double x, int ulps) {
  for (int k = 0; k < ulps; ++k) x = std::nextafter(x, 2.0 * x + 1.0);
  return x;
}

std::string writeFile(const std::string& name, const std::string& text) {
  const std::string path = testing::TempDir() + name;
  std::ofstream(path) << text;
  return path;
}

TEST(NormalApproximation, ReadersGiveTheMomentsOfEachFamily) {
  const std::string path = writeFile("approx_pairs.txt", "1 3\n-2 4\n");
  Moments approx;
  EXPECT_EQ(readNormalApprox(approx, path, 2), "");
  ASSERT_EQ(approx.size(), 2u);
  EXPECT_EQ(approx[0].mean, 1.0);
  EXPECT_EQ(approx[0].variance, 3.0);
  EXPECT_EQ(approx[1].mean, -2.0);
  EXPECT_EQ(approx[1].variance, 4.0);

  // Bounds [1, 3] and [-2, 4]: widths 2 and 6.
  EXPECT_EQ(readUniformApprox(approx, path, 2), "");
  ASSERT_EQ(approx.size(), 2u);
  EXPECT_EQ(approx[0].mean, 2.0);
  EXPECT_EQ(approx[0].variance, 4.0 / 12.0);
  EXPECT_EQ(approx[1].mean, 1.0);
  EXPECT_EQ(approx[1].variance, 3.0);

  EXPECT_EQ(readTriangularApprox(approx, path, 2), "");
  ASSERT_EQ(approx.size(), 2u);
  EXPECT_EQ(approx[0].mean, 2.0);
  EXPECT_EQ(approx[0].variance, 4.0 / 24.0);
  EXPECT_EQ(approx[1].mean, 1.0);
  EXPECT_EQ(approx[1].variance, 1.5);
}

TEST(NormalApproximation, FaultyFilesLeaveNoMadeUpMoments) {
  Moments approx;
  const std::string shortPath = writeFile("approx_short.txt", "1 3 -2");
  EXPECT_EQ(readNormalApprox(approx, shortPath, 2),
            "only 3 of the 4 numbers needed");
  ASSERT_EQ(approx.size(), 2u);
  EXPECT_EQ(approx[0].variance, 3.0);
  EXPECT_TRUE(std::isnan(approx[1].mean));
  EXPECT_TRUE(std::isnan(approx[1].variance));

  EXPECT_EQ(readUniformApprox(approx, testing::TempDir() + "no_such_file", 1),
            "missing");
  ASSERT_EQ(approx.size(), 1u);
  EXPECT_TRUE(std::isnan(approx[0].variance));
}

TEST(NormalApproximation, PrintsBothTailsAndTheBands) {
  const SampleTable table{{{-2, 0.5}, {2, 0.5}}};
  const LinearSystem system = systemOfSize(1);
  EXPECT_EQ(printed({{0.0, 4.0}}, 2, table, system),
            "Showing INVALID probabilities for variable number 0\n"
            "Lower than -2 : 0.158655\n"
            "-2 to 0 : 0.341345\n"
            "0 to 2 : 0.341345\n"
            "More than 2 : 0.158655\n");

  ResultStore store(1, 1, 1, 1);
  storeApproxProbabilities({{0.0, 4.0}}, 2, table, system, store, 0, 0, 0);
  const ProbabilityMap& lower = store.lowerTail[0][0][0][0];
  const ProbabilityMap& bins = store.bins[0][0][0][0];
  const ProbabilityMap& upper = store.upperTail[0][0][0][0];
  EXPECT_EQ(keysOf(lower), std::vector<double>{-2});
  EXPECT_EQ(keysOf(bins), (std::vector<double>{0, 2}));
  EXPECT_EQ(keysOf(upper), std::vector<double>{2});
  EXPECT_EQ(lower.at(-2).first, 0.0);
  EXPECT_NEAR(lower.at(-2).second, 0.15865525393145707, 1e-15);
  EXPECT_NEAR(bins.at(0).second, 0.34134474606854293, 1e-15);
  EXPECT_EQ(bins.at(0).first, 0.0);
  EXPECT_NEAR(upper.at(2).second, 0.15865525393145707, 1e-15);
}

// Histogram and approximation stored side by side: each walk must produce the
// same borders, so the keys coincide and every band carries both sides.
TEST(NormalApproximation, BandKeysMatchTheHistogramBitForBit) {
  struct Case {
    std::vector<double> values;
    int h;
  };
  const std::vector<Case> cases{
      {{0, 0.25, 1}, 10},                  // b10 rounds below Max: 11 bands
      {{-0.3, 0.05, 0.7123}, 7},
      {{1e6 + 0.1, 1e6 + 0.37}, 3},
      {{1, up(1.0, 5), up(1.0, 12)}, 10},  // bounded at H + 1 bands
  };
  for (const Case& c : cases) {
    SampleTable table(1);
    for (double v : c.values) table[0].push_back({v, 0.125});
    const double min = c.values.front();
    const double max = c.values.back();
    const double mid = (min + max) / 2;
    const double spread = (max - min) / 2;
    const Moments approx{{mid, spread * spread}};
    const LinearSystem system = systemOfSize(1);
    ResultStore store(1, 1, 1, 2);
    storeHistogram(table, system, c.h, store, 0, 0, 0);
    storeApproxProbabilities(approx, c.h, table, system, store, 0, 0, 1);
    const std::vector<double> validKeys = keysOf(store.bins[0][0][0][0]);
    EXPECT_EQ(keysOf(store.bins[0][0][0][1]), validKeys) << max;
    EXPECT_LE(validKeys.size(), static_cast<std::size_t>(c.h + 1));
    EXPECT_EQ(keysOf(store.lowerTail[0][0][0][1]), std::vector<double>{min});
    EXPECT_EQ(keysOf(store.upperTail[0][0][0][1]),
              std::vector<double>{validKeys.back()});

    storeApproxProbabilities(approx, c.h, table, system, store, 0, 0, 0);
    double mass = 0.0;
    for (const auto& [key, sides] : store.bins[0][0][0][0]) {
      EXPECT_GT(sides.second, 0.0) << key;
      mass += sides.first;
    }
    EXPECT_EQ(store.bins[0][0][0][0].size(), validKeys.size());
    EXPECT_EQ(mass, 0.125 * c.values.size());
  }
}

TEST(NormalApproximation, EqualSamplesLeaveOnlyTheTails) {
  const SampleTable table{{{5, 0.5}, {5, 0.5}}};
  const LinearSystem system = systemOfSize(1);
  EXPECT_EQ(printed({{4.0, 1.0}}, 10, table, system),
            "Showing INVALID probabilities for variable number 0\n"
            "Lower than 5 : 0.841345\n"
            "More than 5 : 0.158655\n");
  ResultStore store(1, 1, 1, 1);
  storeApproxProbabilities({{4.0, 1.0}}, 10, table, system, store, 0, 0, 0);
  EXPECT_TRUE(store.bins[0][0][0][0].empty());
  const double below = store.lowerTail[0][0][0][0].at(5).second;
  const double above = store.upperTail[0][0][0][0].at(5).second;
  EXPECT_NEAR(below + above, 1.0, 1e-15);
}

TEST(NormalApproximation, ZeroVarianceIsAPointMassAtTheMean) {
  const SampleTable table{{{0, 0.5}, {2, 0.5}}};
  EXPECT_EQ(printed({{1.0, 0.0}}, 2, table, systemOfSize(1)),
            "Showing INVALID probabilities for variable number 0\n"
            "Lower than 0 : 0\n"
            "0 to 1 : 1\n"
            "1 to 2 : 0\n"
            "More than 2 : 0\n");
}

// Position i holds unknown 2 - i. Unknown 1 solved nothing; the others have
// moments without a normal distribution.
TEST(NormalApproximation, PositionsWithoutApproximationAreNamedAndNotStored) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const SampleTable table{{{0, 1}}, {}, {{0, 0.5}, {1, 0.5}}, {{0, 1}}};
  LinearSystem system = systemOfSize(4);
  system.columnOrder = {2, 1, 0, 3};
  const Moments approx{{0, inf}, {0, 1}, {nan, 1}, {0, -1}};
  EXPECT_EQ(printed(approx, 2, table, system),
            "No normal approximation exists for variable number 2: its mean "
            "or variance is not finite.\n"
            "No samples were solved for variable number 1.\n"
            "No normal approximation exists for variable number 0: its mean "
            "or variance is not finite.\n"
            "No normal approximation exists for variable number 3: its "
            "variance is negative.\n");
  ResultStore store(4, 1, 1, 1);
  storeApproxProbabilities(approx, 2, table, system, store, 0, 0, 0);
  for (int v = 0; v < 4; ++v) {
    EXPECT_TRUE(store.lowerTail[v][0][0][0].empty()) << v;
    EXPECT_TRUE(store.bins[v][0][0][0].empty()) << v;
    EXPECT_TRUE(store.upperTail[v][0][0][0].empty()) << v;
  }
}

}  // namespace
}  // namespace linprob
