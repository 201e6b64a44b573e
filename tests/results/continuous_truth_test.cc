#include "results/continuous_truth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

#include "support/closed_form_cdf.h"
#include "support/exact_inverse_rows.h"

namespace linprob {
namespace {

using testing::rowsOf;

using testing::exactly;
using testing::Rational;

TruthOutcome truthOf(const InverseRows& rows, EntryShape shape,
                     const std::vector<double>& pairs, double min,
                     const std::vector<double>& borders,
                     std::size_t walked) {
  TruthQuestion question;
  question.inverse = &rows;
  question.shape = shape;
  question.pairs = &pairs;
  question.min = min;
  question.borders = &borders;
  question.walked = walked;
  return continuousTruth(question);
}

// Each value within its stated bound of the expected one, every bound at
// most `bound`.
void expectTable(const TruthTable& table, double lower,
                 const std::vector<double>& bands, double upper,
                 double bound) {
  EXPECT_NEAR(table.values.lowerTail, lower, table.errors.lowerTail + 1e-300);
  ASSERT_EQ(table.values.masses.size(), bands.size());
  for (std::size_t k = 0; k < bands.size(); ++k) {
    EXPECT_NEAR(table.values.masses[k], bands[k],
                table.errors.masses[k] + 2e-17)
        << k;
  }
  EXPECT_NEAR(table.values.upperTail, upper, table.errors.upperTail + 2e-17);
  EXPECT_LE(table.maxError, bound);
}

// One entry scaled by -2 (A = [-0.5]): the closed forms of a uniform, a
// triangular and a normal law, with the bands and both tails.
TEST(ContinuousTruth, SingleScaledEntryFollowsItsClosedForm) {
  const auto rows = rowsOf(1, {-0.5});
  const std::vector<double> borders = {-4, -3.5, -3, -2.5, -2, -1.5};
  // b on [1, 2]: x uniform on [-4, -2].
  const TruthOutcome uniform =
      truthOf(*rows, EntryShape::kUniform, {1, 2}, -4.5, borders, 6);
  ASSERT_TRUE(uniform.table) << uniform.reason;
  EXPECT_EQ(uniform.table->method, TruthMethod::kPiecewise);
  expectTable(*uniform.table, 0, {0, 0.25, 0.25, 0.25, 0.25, 0}, 0, 1e-30);
  // Triangular on [-4, -2], mode -3: F = 1/8 at -3.5 and 7/8 at -2.5.
  const TruthOutcome triangular =
      truthOf(*rows, EntryShape::kTriangular, {1, 2}, -4.5, borders, 6);
  ASSERT_TRUE(triangular.table);
  expectTable(*triangular.table, 0, {0, 0.125, 0.375, 0.375, 0.125, 0}, 0,
              1e-30);
  // b ~ N(1, 0.25): x ~ N(-2, 1); mpmath's values of the standard normal.
  const double phi2 = 0.0227501319481792072;  // Phi(-2)
  const double phi1 = 0.158655253931457051;   // Phi(-1)
  const TruthOutcome normal =
      truthOf(*rows, EntryShape::kNormal, {1, 0.25}, -4, {-3, -2, -1}, 3);
  ASSERT_TRUE(normal.table);
  EXPECT_EQ(normal.table->method, TruthMethod::kNormal);
  expectTable(*normal.table, phi2, {phi1 - phi2, 0.5 - phi1, 0.5 - phi1},
              phi1, 1e-15);
  EXPECT_EQ(normal.table->values.upperBorder, -1);
  // No band walked: both tails meet at min.
  const TruthOutcome tails =
      truthOf(*rows, EntryShape::kNormal, {1, 0.25}, -2, borders, 0);
  ASSERT_TRUE(tails.table);
  expectTable(*tails.table, 0.5, {}, 0.5, 1e-15);
}

// Sixteen entries summed (x_0 = b_0 + ... + b_15): 2^16 pieces, beyond the
// alternating sum's budget, so the characteristic function gives the
// truth, each value within its stated bound of the Irwin-Hall law.
TEST(ContinuousTruth, ManyPartsAreInvertedFromTheCharacteristicFunction) {
  const unsigned m = 16;
  std::vector<double> matrix(m * m, 0.0);
  for (unsigned j = 0; j < m; ++j) {
    matrix[j] = j == 0 ? 1.0 : -1.0;  // row 0 of A^-1 is all ones
    matrix[j * m + j] = 1.0;
  }
  const auto rows = rowsOf(m, matrix);
  const std::vector<double> borders = {6.5, 7.25, 8, 8.75, 9.5, 16};
  const TruthOutcome truth = truthOf(*rows, EntryShape::kUniform,
                                     testing::repeatedPairs(m, 0.0, 1.0), 5.0,
                                     borders, borders.size());
  ASSERT_TRUE(truth.table) << truth.reason;
  EXPECT_EQ(truth.table->method, TruthMethod::kRoundedCharacteristic);
  const auto cdf = [&](double x) {
    return testing::nearest(testing::irwinHallCdf(m, exactly(x)));
  };
  std::vector<double> bands;
  double previous = cdf(5.0);
  for (double border : borders) {
    bands.push_back(cdf(border) - previous);
    previous = cdf(border);
  }
  expectTable(*truth.table, cdf(5.0), bands, 0.0, kTruthErrorLimit);
}

// A source of fixed balls, as a certified inverse gives them: the truth
// carries their radius into its bounds, and refuses when they are too wide.
class FixedRows final : public InverseRows {
 public:
  FixedRows(double entry, double radius) : entry_(entry), radius_(radius) {}
  unsigned size() const override { return 1; }
  void row(unsigned, slong, arb_ptr out) const override {
    arb_set_d(out, entry_);
    mag_set_d(arb_radref(out), radius_);
  }

 private:
  double entry_;
  double radius_;
};

TEST(ContinuousTruth, TheInverseBallsBoundTheTruth) {
  const std::vector<double> borders = {-3, -2, -1};
  const TruthOutcome tight = truthOf(FixedRows(-2.0, 1e-20),
                                     EntryShape::kNormal, {1, 0.25}, -4,
                                     borders, 3);
  ASSERT_TRUE(tight.table);
  EXPECT_LT(tight.table->maxError, 1e-16);  // the rounding to doubles
  const TruthOutcome loose = truthOf(FixedRows(-2.0, 1e-3),
                                     EntryShape::kUniform, {1, 2}, -4,
                                     borders, 3);
  EXPECT_FALSE(loose.table);
  EXPECT_EQ(loose.reason.rfind(
                "no error bound within 1e-09 could be certified (best ", 0),
            0u)
      << loose.reason;
}

}  // namespace
}  // namespace linprob
