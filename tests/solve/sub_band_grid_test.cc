#include "solve/sub_band_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

namespace linprob {
namespace {

// Border k is, by definition, the least double x of [min, max] with
// subBand(x) >= k: it qualifies and the double below it does not. Ranges
// of every scale and sign, from a few doubles wide to the whole line's
// thousandth, and the borders next to both ends.
TEST(SubBandGridTest, EveryBorderIsTheLeastDoubleOfItsSubBand) {
  std::mt19937_64 random(17);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-300, 300);
  const double lowest = std::numeric_limits<double>::lowest();
  for (int round = 0; round < 400; ++round) {
    const double scale = std::ldexp(1.0, exponent(random));
    double min = unit(random) * scale;
    double max = min + std::fabs(unit(random)) * scale;
    if (round % 5 == 1) max = std::nextafter(std::nextafter(min, 1e300), 1e300);
    if (round % 5 == 2) max = min + 1e-13 * std::fabs(min);
    if (round % 7 == 3) {
      min = lowest / 2000.0;
      max = -min;
    }
    if (!(max > min) || !std::isfinite(max - min)) continue;
    const std::size_t subBands = std::size_t{1} << (round % 15);
    const SubBandGrid grid(min, max, subBands);
    SCOPED_TRACE(std::to_string(min) + " " + std::to_string(max) + " " +
                 std::to_string(subBands));
    EXPECT_EQ(grid.border(0), min);
    EXPECT_EQ(grid.border(subBands), max);
    double previous = min;
    for (std::size_t k = 1; k < subBands; k += 1 + k / 5) {
      const double border = grid.border(k);
      ASSERT_GE(border, previous);
      ASSERT_LE(border, max);
      EXPECT_GE(grid.subBand(border), k) << k;
      const double below = std::nextafter(border, lowest);
      if (below >= min) {
        EXPECT_LT(grid.subBand(below), k) << k;
      }
      previous = border;
    }
  }
}

}  // namespace
}  // namespace linprob
