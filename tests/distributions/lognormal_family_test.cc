// The lognormal family's row: its quantile is the lognormal law of the
// entry's own mean and variance, its cells converge to that law's moments,
// and an entry without spread is its mean.
#include "distributions/lognormal_family.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <boost/math/distributions/lognormal.hpp>

#include "distributions/family.h"
#include "distributions/parameter_files.h"
#include "linear/exact_moments.h"

namespace linprob {
namespace {

// One entry of mean 2 and variance 0.5: a skewed law (s^2 = log 1.125).
EntryParameters oneEntry(double mean, double variance) {
  EntryParameters entries;
  entries.width = 2;
  entries.numbers = {mean, variance};
  return entries;
}

TEST(LognormalFamilyTest, QuantilesFollowTheLawOfTheEntrysMeanAndVariance) {
  const EntryParameters entry = oneEntry(2.0, 0.5);
  const double s2 = std::log1p(0.5 / 4.0);
  const boost::math::lognormal_distribution<double> law(std::log(2.0) - s2 / 2.0,
                                                        std::sqrt(s2));
  EXPECT_NEAR(boost::math::mean(law), 2.0, 1e-14);
  EXPECT_NEAR(boost::math::variance(law), 0.5, 1e-14);
  const SamplingRange range = family_rows::lognormalRange(entry.entry(0));
  for (const double u : {1e-12, 0.01, 0.3, 0.5, 0.9, 1.0 - 1e-12}) {
    const double x = family_rows::lognormalQuantile(entry.entry(0), u);
    EXPECT_NEAR(x, boost::math::quantile(law, u), 1e-12 * x) << u;
    EXPECT_GT(x, range.lower);
    EXPECT_LT(x, range.upper);
  }
  // Its moments, in doubles and exactly, are the file's numbers.
  const NormalParameters moments = family_rows::lognormalMoments(entry.entry(0));
  EXPECT_EQ(moments.mean, 2.0);
  EXPECT_EQ(moments.variance, 0.5);
  EXPECT_TRUE(family_rows::exactLognormalMoments(entry.entry(0)).moments);
}

TEST(LognormalFamilyTest, CellMomentsConvergeToTheExactOnes) {
  const EntryParameters entry = oneEntry(2.0, 0.5);
  double previous = INFINITY;
  for (const int count : {10, 50, 250, 1250}) {
    const RectangleTable cells = family_rows::lognormalCells(count, entry);
    ASSERT_EQ(cells.size(), static_cast<std::size_t>(count));
    double mass = 0.0, mean = 0.0, square = 0.0;
    for (const auto& row : cells) {
      EXPECT_GE(row[0].probability, 0.0);
      if (row[0].probability > 0.0) {
        EXPECT_GT(row[0].value, 0.0);
      }
      mass += row[0].probability;
      mean += row[0].probability * row[0].value;
      square += row[0].probability * row[0].value * row[0].value;
    }
    EXPECT_NEAR(mass, 1.0, 1e-12);
    const double error = std::abs(mean - 2.0) + std::abs(square - mean * mean - 0.5);
    EXPECT_LT(error, previous) << count;
    previous = error;
  }
  EXPECT_LT(previous, 0.01);
}

TEST(LognormalFamilyTest, AnEntryWithoutSpreadIsItsMean) {
  const EntryParameters entry = oneEntry(3.0, 0.0);
  for (const auto& row : family_rows::lognormalCells(4, entry)) {
    EXPECT_EQ(row[0].value, 3.0);
    EXPECT_EQ(row[0].probability, 0.25);
  }
  EXPECT_EQ(family_rows::lognormalQuantile(entry.entry(0), 0.7), 3.0);
  EXPECT_EQ(checkParameters({3.0, 0.0, -2.0, 1.0}, 2, ParameterKind::kLognormal),
            (std::vector<std::string>{"pair 1 has a mean that is not positive (-2)"}));
  EXPECT_EQ(familyInfo(Family::kLognormal).draw, SampleDraw::kQuantile);
}

}  // namespace
}  // namespace linprob
