#include "results/histogram_levels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace linprob {
namespace {

// Eight sub-bands over [0, 8], a mass of 1 in each but the last, which
// holds 3: ten in all.
class HistogramLevels : public ::testing::Test {
 protected:
  HistogramLevels() : grid_(0.0, 8.0, 8), counts_{1, 1, 1, 1, 1, 1, 1, 3} {}
  HistogramView view() const { return HistogramView{&grid_, counts_, 10}; }

  SubBandGrid grid_;
  std::vector<std::uint64_t> counts_;
};

TEST_F(HistogramLevels, ValuesAndSharesSpreadEvenlyWithinASubBand) {
  const std::vector<double> fractions = {0.0, 0.05, 0.25, 0.7, 0.8, 1.0};
  std::vector<double> values(fractions.size());
  valuesAtFractions(view(), fractions, values);
  EXPECT_EQ(values, (std::vector<double>{0.0, 0.5, 2.5, 7.0, 7.0 + 1.0 / 3.0,
                                         8.0}));
  EXPECT_DOUBLE_EQ(fractionBelow(view(), 2.5), 0.25);
  EXPECT_DOUBLE_EQ(fractionBelow(view(), 7.5), 0.85);
  EXPECT_EQ(fractionBelow(view(), -1.0), 0.0);
  EXPECT_EQ(fractionBelow(view(), 9.0), 1.0);
  // Without mass, nothing.
  const std::vector<std::uint64_t> none(8, 0);
  valuesAtFractions(HistogramView{&grid_, none, 0}, fractions, values);
  EXPECT_TRUE(std::isnan(values[2]));
}

TEST_F(HistogramLevels, UpperSharesStopAtTheLastSubBandWithMass) {
  // Found from the top, fractions above one half land where a pass from the
  // bottom would: empty sub-bands at either end are passed over.
  const SubBandGrid grid(0.0, 8.0, 8);
  const std::vector<std::uint64_t> counts = {0, 1, 1, 2, 0, 0, 0, 0};
  const std::vector<double> fractions = {0.25, 0.5, 0.6, 0.75, 1.0};
  std::vector<double> values(fractions.size());
  valuesAtFractions(HistogramView{&grid, counts, 4}, fractions, values);
  EXPECT_EQ(values, (std::vector<double>{2.0, 3.0, 3.2, 3.5, 4.0}));
}

TEST_F(HistogramLevels, FourthMomentOfTheSubBandsMiddles) {
  // Middles 0.5 ... 7.5 about 4: (3.5^4 + 2.5^4 + 1.5^4 + 0.5^4) * 2 plus
  // two more of 3.5^4 for the last sub-band's extra mass, over 10.
  const double m4 = (2.0 * (150.0625 + 39.0625 + 5.0625 + 0.0625) +
                     2.0 * 150.0625) / 10.0;
  EXPECT_DOUBLE_EQ(fourthCentralMoment(view(), 4.0), m4);
}

TEST_F(HistogramLevels, WoodruffBoundsNeedValuesBeyondThem) {
  // Share 0.5 with error 0.1 and k 2: values at 0.3 and 0.7, 3 and 7.
  EXPECT_DOUBLE_EQ(woodruffError(view(), 0.5, 0.1, 2.0, 0.1), 1.0);
  // Reaching within a sample's fraction of either end: no bound.
  EXPECT_TRUE(std::isnan(woodruffError(view(), 0.25, 0.1, 2.0, 0.1)));
  EXPECT_TRUE(std::isnan(woodruffError(view(), 0.75, 0.1, 2.0, 0.1)));
  EXPECT_EQ(woodruffError(view(), 0.5, 0.0, 2.0, 0.1), 0.0);
}

}  // namespace
}  // namespace linprob
