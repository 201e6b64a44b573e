#include "solve/band_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/phase_text.h"
#include "support/sorted_reference.h"

namespace linprob {
namespace {

using testing::invalidText;
using testing::phaseOfBands;
using testing::SampleTable;
using testing::sampleLess;
using testing::sortSamples;
using testing::tabulateSorted;
using testing::tabulateSortedTable;
using testing::validText;

using Samples = std::vector<SampleRectangle>;

// The walk over sorted samples as the histogram has always done it: a sample
// closes bands while it lies above the current border and another band may be
// opened. Records the borders, the masses (summed in sorted order) and the
// 0-based band of every sample.
struct Walk {
  std::vector<double> borders;
  std::vector<double> masses;
  std::vector<std::size_t> bandOf;
};

Walk walkSorted(const Samples& sorted, int h) {
  Walk walk;
  const double min = sorted.front().value;
  const double max = sorted.back().value;
  const double step = bandWidth(min, max, h);
  double upper = min + step;
  double mass = 0.0;
  int bandsOpen = 1;
  for (const SampleRectangle& sample : sorted) {
    while (sample.value > upper && mayOpenBand(bandsOpen, upper, step, h)) {
      walk.borders.push_back(upper);
      walk.masses.push_back(mass);
      upper = upper + step;
      mass = 0.0;
      ++bandsOpen;
    }
    mass = mass + sample.probability;
    walk.bandOf.push_back(static_cast<std::size_t>(bandsOpen - 1));
  }
  walk.borders.push_back(upper);
  walk.masses.push_back(mass);
  return walk;
}

double up(double x, int ulps) {
  for (int k = 0; k < ulps; ++k) x = std::nextafter(x, HUGE_VAL);
  return x;
}

PositionBands laid(double min, double max, int h) {
  PositionBands bands;
  bands.count = 1;
  bands.min = min;
  bands.max = max;
  layBorders(bands, h);
  return bands;
}

// Random (min, max) ranges of several kinds: wide, negative, equal ends,
// ends a few ulps apart (where borders stop moving) and ranges of tenths
// (where the accumulated H-th border can round below Max).
struct Range {
  double min;
  double max;
  int h;
};

std::vector<Range> randomRanges(std::mt19937_64& rng, int count) {
  const int hs[] = {1, 2, 3, 4, 7, 10, 16, 50, 0, -3};
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::uniform_int_distribution<int> pick(0, 5);
  std::uniform_int_distribution<int> hPick(0, 9);
  std::uniform_int_distribution<int> small(1, 40);
  std::vector<Range> ranges;
  for (int c = 0; c < count; ++c) {
    const double scale = std::pow(10.0, std::floor(unit(rng) * 12.0) - 6.0);
    double a = (unit(rng) * 2.0 - 1.0) * scale;
    double b = (unit(rng) * 2.0 - 1.0) * scale;
    switch (pick(rng)) {
      case 0:
        break;
      case 1:  // both negative
        a = -std::fabs(a) - scale;
        b = -std::fabs(b) - scale;
        break;
      case 2:  // equal ends
        b = a;
        break;
      case 3:  // a few ulps apart
        b = up(a, small(rng));
        break;
      case 4:  // tenths: 0.1 * m from a multiple of 0.1
        a = 0.1 * small(rng) - 2.0;
        b = a + 0.1 * small(rng);
        break;
      default:  // one end zero
        a = 0.0;
        break;
    }
    if (b < a) std::swap(a, b);
    ranges.push_back({a, b, hs[hPick(rng)]});
  }
  return ranges;
}

TEST(BandTable, LaidBordersAreTheWalksBorders) {
  std::mt19937_64 rng(12345);
  int extraBands = 0;
  int capped = 0;
  int single = 0;
  std::vector<Range> ranges = randomRanges(rng, 20000);
  ranges.push_back({0.0, 1.0, 10});  // 0.1 ten times is just below 1
  ranges.push_back({1.0, up(1.0, 2), 10});
  ranges.push_back({-5.0, -5.0, 1});
  for (const Range& r : ranges) {
    const PositionBands bands = laid(r.min, r.max, r.h);
    const Walk walk = walkSorted({{r.min, 0.5}, {r.max, 0.5}}, r.h);
    ASSERT_EQ(bands.borders, walk.borders)
        << r.min << " " << r.max << " H=" << r.h;
    ASSERT_EQ(bands.masses, std::vector<double>(walk.borders.size(), 0.0));
    EXPECT_EQ(bands.step, bandWidth(r.min, r.max, r.h));
    const std::size_t h = static_cast<std::size_t>(std::max(r.h, 1));
    if (bands.borders.size() == h + 1) ++extraBands;
    if (bands.borders.back() < r.max) ++capped;
    if (bands.borders.size() == 1) ++single;
    // Borders that stop below Max are reported, and only those.
    PositionBands again;
    again.min = r.min;
    again.max = r.max;
    ASSERT_EQ(layBorders(again, r.h) == BorderWalk::kFallsShort,
              bands.borders.back() < r.max);
  }
  // The random ranges must reach the rare cases, or the test proves little.
  EXPECT_GT(extraBands, 100);
  EXPECT_GT(capped, 100);
  EXPECT_GT(single, 100);

  const PositionBands tenths = laid(0.0, 1.0, 10);
  ASSERT_EQ(tenths.borders.size(), 11u);
  EXPECT_LT(tenths.borders[9], 1.0);
}

// Sorted sets with values on the borders, just beside them and at both ends.
TEST(BandTable, BandIndexIsTheWalksBandForEverySample) {
  std::mt19937_64 rng(777);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (const Range& r : randomRanges(rng, 3000)) {
    const PositionBands bands = laid(r.min, r.max, r.h);
    Samples samples{{r.min, 0.0}, {r.max, 0.0}};
    for (double border : bands.borders) {
      for (double v : {border, std::nextafter(border, -HUGE_VAL),
                       std::nextafter(border, HUGE_VAL)}) {
        if (v >= r.min && v <= r.max) samples.push_back({v, 0.0});
      }
    }
    for (int k = 0; k < 20; ++k) {
      const double v = r.min + unit(rng) * (r.max - r.min);
      if (v >= r.min && v <= r.max) samples.push_back({v, 0.0});
    }
    std::sort(samples.begin(), samples.end(), sampleLess);
    const Walk walk = walkSorted(samples, r.h);
    ASSERT_EQ(walk.borders, bands.borders);
    for (std::size_t s = 0; s < samples.size(); ++s) {
      ASSERT_EQ(bandIndex(bands, samples[s].value), walk.bandOf[s])
          << samples[s].value << " in [" << r.min << ", " << r.max
          << "] H=" << r.h;
    }
  }
}

TEST(BandTable, TabulateSortedIsTheWalk) {
  std::mt19937_64 rng(4242);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (const Range& r : randomRanges(rng, 2000)) {
    Samples samples{{r.min, unit(rng)}, {r.max, unit(rng)}};
    for (int k = 0; k < 30; ++k) {
      const double v = r.min + unit(rng) * (r.max - r.min);
      if (v >= r.min && v <= r.max) samples.push_back({v, unit(rng)});
    }
    std::sort(samples.begin(), samples.end(), sampleLess);
    const PositionBands bands = tabulateSorted(samples, r.h);
    const Walk walk = walkSorted(samples, r.h);
    EXPECT_EQ(bands.count, samples.size());
    EXPECT_EQ(bands.min, r.min);
    EXPECT_EQ(bands.max, r.max);
    ASSERT_EQ(bands.borders, walk.borders);
    // Summed in the same order: bit for bit.
    ASSERT_EQ(bands.masses, walk.masses);
  }
  EXPECT_EQ(tabulateSorted({}, 10).count, 0u);
}

const std::vector<NormalParameters> kMoments{{0.5, 4.0}, {-1.0, 0.25},
                                            {3.0, 9.0}};
const std::vector<unsigned> kOrder{2, 0, 1};

// The fast path: pass 1 finds Min and Max in whatever order the samples come,
// the borders are laid, pass 2 counts each sample into its band.
PhaseBands countUnordered(const SampleTable& table, int h) {
  PhaseBands bands(table.size());
  for (std::size_t i = 0; i < table.size(); ++i) {
    PositionBands& position = bands[i];
    for (const SampleRectangle& sample : table[i]) {
      if (position.count == 0) {
        position.min = sample.value;
        position.max = sample.value;
      }
      if (lowerThan(sample.value, position.min)) position.min = sample.value;
      if (higherThan(sample.value, position.max)) position.max = sample.value;
      ++position.count;
    }
    if (position.count == 0) continue;
    layBorders(position, h);
    for (const SampleRectangle& sample : table[i]) {
      double& mass = position.masses[bandIndex(position, sample.value)];
      mass = mass + sample.probability;
    }
  }
  return bands;
}

// Weights of k / 1024 sum exactly in any order, so the counted table must
// give exactly what the walk over the sorted table does; the approximation
// reads the same Min and Max from either.
TEST(BandTable, CountingInAnyOrderGivesTheSortedTables) {
  std::mt19937_64 rng(99);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::uniform_int_distribution<int> weight(0, 64);
  std::uniform_int_distribution<int> size(0, 40);
  const std::vector<Range> ranges = randomRanges(rng, 3000);
  for (std::size_t c = 0; c + 2 < ranges.size(); c += 3) {
    const int h = ranges[c].h;
    SampleTable table(3);
    for (std::size_t i = 0; i < 3; ++i) {
      const Range& r = ranges[c + i];
      const int n = size(rng);
      for (int k = 0; k < n; ++k) {
        // A third of the samples sit exactly on Min, Max or a border.
        const PositionBands borders = laid(r.min, r.max, h);
        double v = r.min + unit(rng) * (r.max - r.min);
        const int where = static_cast<int>(unit(rng) * 9.0);
        if (where == 0) v = r.min;
        if (where == 1) v = r.max;
        if (where == 2) v = borders.borders[k % borders.borders.size()];
        if (v < r.min || v > r.max) v = r.max;
        table[i].push_back({v, weight(rng) / 1024.0});
      }
    }
    SampleTable sorted = table;
    for (auto& samples : sorted) sortSamples(samples);
    for (auto& samples : table) std::shuffle(samples.begin(), samples.end(), rng);

    const PhaseResult fast =
        phaseOfBands(countUnordered(table, h), kOrder, kMoments);
    const PhaseResult reference =
        phaseOfBands(tabulateSortedTable(sorted, h), kOrder, kMoments);
    ASSERT_EQ(validText(fast), validText(reference));
    ASSERT_EQ(invalidText(fast), invalidText(reference));
    for (std::size_t i = 0; i < 3; ++i) {
      const PositionResult& a = fast.positions[i];
      const PositionResult& b = reference.positions[i];
      ASSERT_EQ(a.valid.borders, b.valid.borders);
      ASSERT_EQ(a.valid.masses, b.valid.masses);
      ASSERT_EQ(a.invalid.masses, b.invalid.masses);
      ASSERT_EQ(a.invalid.lowerTail, b.invalid.lowerTail);
      ASSERT_EQ(a.invalid.upperTail, b.invalid.upperTail);
    }
  }
}

TEST(BandTable, PositionsWithoutSamplesAreNamed) {
  PhaseBands bands(1);
  bands[0] = tabulateSorted({{1.0, 0.5}, {3.0, 0.5}}, 2);
  EXPECT_EQ(validText(phaseOfBands(bands, {1, 0})),
            "Showing probabilities for variable number 1\n"
            "<1 : 0\n"
            "1 to 2 : P=0.5\n"
            "2 to 3 : P=0.5\n"
            "No samples were solved for variable number 0.\n");
  bands.emplace_back();  // count 0 as well as missing
  const PhaseResult phase = phaseOfBands(bands, {1, 0}, {{2.0, 1.0}, {0.0, 1.0}});
  EXPECT_EQ(invalidText(phase),
            "Showing INVALID probabilities for variable number 1\n"
            "Lower than 1 : 0.158655\n"
            "1 to 2 : 0.341345\n"
            "2 to 3 : 0.341345\n"
            "More than 3 : 0.158655\n"
            "No samples were solved for variable number 0.\n");
  EXPECT_TRUE(phase.positions[0].hasInvalid());
  EXPECT_FALSE(phase.positions[1].hasInvalid());
}

// Zeros of both signs compare equal, so an unstable sort or any arrival order
// could put either first; Min is -0 and Max +0 whichever comes first.
TEST(BandTable, SignedZerosGiveMinusZeroMinAndPlusZeroMax) {
  const std::vector<Samples> orders{
      {{0.0, 0.25}, {-0.0, 0.25}, {0.0, 0.25}, {-0.0, 0.25}},
      {{-0.0, 0.25}, {0.0, 0.25}, {-0.0, 0.25}, {0.0, 0.25}},
  };
  for (const Samples& samples : orders) {
    const PositionBands bands = tabulateSorted(samples, 4);
    EXPECT_TRUE(std::signbit(bands.min));
    EXPECT_FALSE(std::signbit(bands.max));
    ASSERT_EQ(bands.masses.size(), 1u);
    EXPECT_EQ(bands.masses[0], 1.0);

    const PhaseBands counted = countUnordered({samples}, 4);
    EXPECT_TRUE(std::signbit(counted[0].min));
    EXPECT_FALSE(std::signbit(counted[0].max));
    EXPECT_EQ(validText(phaseOfBands(counted, {0})),
              "Showing probabilities for variable number 0\n"
              "<-0 : 0\n"
              "0 to 0 : P=1\n");
  }
  // Only equal values are decided by the sign: -1 stays the minimum.
  const PositionBands mixed =
      tabulateSorted({{-1.0, 0.5}, {-0.0, 0.25}, {0.0, 0.25}}, 1);
  EXPECT_EQ(mixed.min, -1.0);
  EXPECT_FALSE(std::signbit(mixed.max));
  EXPECT_FALSE(lowerThan(0.0, -1.0));
  EXPECT_FALSE(higherThan(-0.0, 0.0));
  EXPECT_TRUE(lowerThan(-0.0, 0.0));
  EXPECT_TRUE(higherThan(0.0, -0.0));
}

}  // namespace
}  // namespace linprob
