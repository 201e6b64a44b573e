#include "output/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <limits>
#include <random>
#include <sstream>
#include <string>

namespace linprob {
namespace {

std::string streamed(double x) {
  std::ostringstream out;
  out << x;
  return out.str();
}

std::string sixDigits(double x) {
  std::ostringstream out;
  out << SixDigits{x};
  return out.str();
}

// The same characters as the stream's own "%g" for doubles of every scale,
// the roundings to six digits that carry into a new digit or an exponent,
// signed zeros, subnormals and the extremes; a stream in another state, and
// values that are not finite, as the stream writes them.
TEST(NumberTextTest, SixDigitsWritesWhatTheStreamWrites) {
  const double cases[] = {0.0, -0.0, 1.0, -2.5, 0.1, 1e-5, 0.0001, 1e-4 * 0.99999,
                          999999.5, 9999995.0, 123456.5, 1e6, 1e15, 5e-324,
                          2.2250738585072014e-308, 1e-310,
                          std::numeric_limits<double>::max(),
                          std::numeric_limits<double>::lowest(),
                          std::nan(""), -std::numeric_limits<double>::infinity()};
  for (const double x : cases) EXPECT_EQ(sixDigits(x), streamed(x)) << x;
  std::mt19937_64 random(3);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-320, 308);
  for (int i = 0; i < 200000; ++i) {
    const double x = unit(random) * std::pow(10.0, exponent(random));
    ASSERT_EQ(sixDigits(x), streamed(x)) << x;
  }
  std::ostringstream precise;
  precise << std::setprecision(17) << SixDigits{0.1} << ' '
          << std::scientific << SixDigits{0.1};
  EXPECT_EQ(precise.str(), "0.10000000000000001 1.00000000000000006e-01");
}

}  // namespace
}  // namespace linprob
