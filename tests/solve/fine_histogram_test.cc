#include "solve/fine_histogram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace linprob {
namespace {

TEST(FineHistogram, WeightsBecomeFixedPointCountsRoundedToEven) {
  EXPECT_EQ(fixedPointMass(1.0), std::uint64_t{1} << 62);
  EXPECT_EQ(fixedPointMass(0.5), std::uint64_t{1} << 61);
  EXPECT_EQ(fixedPointMass(0x1p-63), 0u);      // 0.5 count: tie to even 0
  EXPECT_EQ(fixedPointMass(3 * 0x1p-63), 2u);  // 1.5 counts: tie to even 2
  EXPECT_EQ(fixedPointMass(5 * 0x1p-65), 1u);  // 0.625 counts
  EXPECT_EQ(fixedPointMass(0x1p-40 + 0x1p-63), std::uint64_t{1} << 22);
  EXPECT_EQ(fixedPointMass(std::nan("")), 0u);
}

TEST(FineHistogram, ValuesLandInClampedSubBands) {
  FineHistogram h(0.0, 1.0, 16);
  const double xs[] = {0.0, 0.5, 1.0, 0.0625, std::nextafter(0.0625, 0.0),
                       -3.0, 7.0, std::nan("")};
  for (double x : xs) h.add(x, 0.125);
  const std::uint64_t eighth = std::uint64_t{1} << 59;
  const std::vector<std::uint64_t>& c = h.counts();
  EXPECT_EQ(c[0], 4 * eighth);  // 0, just below 1/16, -3, NaN
  EXPECT_EQ(c[1], eighth);      // 1/16 opens sub-band 1
  EXPECT_EQ(c[8], eighth);
  EXPECT_EQ(c[15], 2 * eighth);  // 1 and 7
  EXPECT_EQ(h.total(), std::uint64_t{1} << 62);
  EXPECT_EQ(h.border(0), 0.0);
  EXPECT_EQ(h.border(3), 0.1875);
  EXPECT_EQ(h.border(16), 1.0);
  EXPECT_EQ(h.resolution(), 0.0625);

  FineHistogram point(2.5, 2.5);
  EXPECT_EQ(point.subBands(), kFineSubBands);
  point.add(2.5, 0.5);
  point.add(9.0, 0.5);
  EXPECT_EQ(point.counts()[0], std::uint64_t{1} << 62);
}

// Integer masses: any split and any order of adding and merging gives the
// same counts, bit for bit.
TEST(FineHistogram, AddingAndMergingInAnyOrderAgree) {
  std::mt19937_64 random(5);
  std::uniform_real_distribution<double> value(-2.0, 3.0);
  std::uniform_real_distribution<double> weight(0.0, 1e-3);
  std::vector<std::pair<double, double>> jobs(5000);
  for (auto& job : jobs) job = {value(random), weight(random)};

  FineHistogram forward(-2.0, 3.0);
  for (const auto& [x, w] : jobs) forward.add(x, w);
  FineHistogram parts[3] = {FineHistogram(-2.0, 3.0), FineHistogram(-2.0, 3.0),
                            FineHistogram(-2.0, 3.0)};
  for (std::size_t k = jobs.size(); k-- > 0;) {
    parts[k % 3].add(jobs[k].first, jobs[k].second);
  }
  parts[2].merge(parts[0]);
  parts[2].merge(parts[1]);
  EXPECT_EQ(parts[2].counts(), forward.counts());
  EXPECT_EQ(parts[2].total(), forward.total());
}

TEST(FineHistogram, RefusesBadShapesAndForeignMerges) {
  try {
    FineHistogram(0.0, 1.0, 12);
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "fine histogram: 12 sub-bands is not a power of two");
  }
  FineHistogram a(0.0, 1.0, 16);
  try {
    a.merge(FineHistogram(0.0, 2.0, 16));
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "fine histogram: merge of a different range");
  }
}

}  // namespace
}  // namespace linprob
