#include "output/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace linprob {
namespace {

TEST(NumberTextTest, ShortestRoundTripForms) {
  EXPECT_EQ(numberText(0.1), "0.1");
  EXPECT_EQ(numberText(2.0), "2");
  EXPECT_EQ(numberText(-0.0), "-0");
  EXPECT_EQ(numberText(1e-5), "1e-05");
  EXPECT_EQ(numberText(1e22), "1e+22");
  EXPECT_EQ(numberText(5e-324), "5e-324");
  // nlohmann's own conversion writes this double with 17 digits.
  EXPECT_EQ(numberText(0.2229922859786896), "0.2229922859786896");
  EXPECT_EQ(numberText(std::numeric_limits<double>::infinity()), "");
  EXPECT_EQ(numberText(std::nan("")), "");
  EXPECT_EQ(numberText(std::int64_t{-42}), "-42");
  EXPECT_EQ(numberText(std::uint64_t{18446744073709551615u}),
            "18446744073709551615");
}

}  // namespace
}  // namespace linprob
