#include "results/discrepancy.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace linprob {
namespace {

// Dyadic masses throughout, so every sum is exact.
TEST(Discrepancy, TailsBandsAndCumulativeGaps) {
  const Discrepancy d = discrepancy({0.5, 0.5}, 0.125, {0.375, 0.375}, 0.125);
  EXPECT_EQ(d.totalVariation, 0.25);
  EXPECT_EQ(d.maxCdf, 0.125);  // at b0 (the lower tail) and at b2
  const Discrepancy inside =
      discrepancy({0.5, 0.25, 0.25}, 0.0, {0.0, 0.5, 0.5}, 0.0);
  EXPECT_EQ(inside.totalVariation, 0.5);
  EXPECT_EQ(inside.maxCdf, 0.5);  // at b1
  // VALID short of 1 is taken as it is, not renormalised.
  const Discrepancy shortfall = discrepancy({0.25, 0.5}, 0.0, {0.25, 0.5}, 0.25);
  EXPECT_EQ(shortfall.totalVariation, 0.125);
  EXPECT_EQ(shortfall.maxCdf, 0.0);
}

// Two tables with tails: the tails count like bands, and the cumulative
// sums start from each table's own lower tail. With one table's tails 0 it
// is the comparison against VALID, bit for bit.
TEST(Discrepancy, BetweenTablesWithTails) {
  const Discrepancy d =
      discrepancyBetween(0.25, {0.5, 0.125}, 0.125, 0.0, {0.5, 0.25}, 0.25);
  EXPECT_EQ(d.totalVariation, 0.25);  // (0.25 + 0 + 0.125 + 0.125) / 2
  EXPECT_EQ(d.maxCdf, 0.25);          // at b0 and b1
  const std::vector<double> valid = {0.1, 0.7, 0.2};
  const std::vector<double> approx = {0.3, 0.3, 0.3};
  const Discrepancy against = discrepancy(valid, 0.05, approx, 0.05);
  const Discrepancy between =
      discrepancyBetween(0.0, valid, 0.0, 0.05, approx, 0.05);
  EXPECT_EQ(between.totalVariation, against.totalVariation);
  EXPECT_EQ(between.maxCdf, against.maxCdf);
  try {
    discrepancyBetween(0.0, {0.5}, 0.0, 0.0, {}, 0.0);
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "discrepancy: 1 bands but 0");
  }
}

TEST(Discrepancy, RefusesDifferentBandCounts) {
  try {
    discrepancy({0.5, 0.5}, 0.0, {1.0}, 0.0);
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "discrepancy: 2 VALID bands but 1 approximated");
  }
}

}  // namespace
}  // namespace linprob
