#include "linear/exact_moments.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "linear/dyadic_form.h"
#include "linear/exact_rows.h"
#include "linear/rational_rounding.h"

namespace linprob {
namespace {

using boost::multiprecision::cpp_rational;

template <typename Call>
std::string refusal(Call call) {
  try {
    call();
  } catch (const std::invalid_argument& e) {
    return e.what();
  }
  return "";
}

TEST(ExactMoments, EntryMomentsOfEachFamilyAreExact) {
  const EntryMoments uniform = boundedEntryMoments(1, 3, 12);
  EXPECT_EQ(uniform.mean, 2);
  EXPECT_EQ(uniform.variance, cpp_rational(1, 3));
  const EntryMoments triangular =
      boundedEntryMoments(1, 3, 24);
  EXPECT_EQ(triangular.variance, cpp_rational(1, 6));
  // 0.1 is the double nearest to 1/10, kept as it is.
  const EntryMoments normal = normalEntryMoments(0.1, 0.3);
  EXPECT_EQ(normal.mean, exactRationalOf(0.1));
  EXPECT_EQ(normal.variance, exactRationalOf(0.3));
  // Cells 0 and 1 with weights 1 : 3 (not normalised): mean 3/4, variance
  // 3/16.
  const EntryMoments cells = discretisedEntryMoments({0, 1}, {1, 3});
  EXPECT_EQ(cells.mean, cpp_rational(3, 4));
  EXPECT_EQ(cells.variance, cpp_rational(3, 16));
}

TEST(ExactMoments, PropagationThroughTheInverse) {
  const auto rows = ExactRows::compute(2, {4, 7, 2, 6}, {0, 1});
  ASSERT_TRUE(rows);
  // A^-1 = [0.6 -0.7; -0.2 0.4]; uniform [0, 2] (mean 1, variance 1/3) and
  // normal (1, 1/4): means -1/10 and 1/5, variances 0.36/3 + 0.49/4 =
  // 0.2425 and 0.04/3 + 0.16/4 = 1/75 + 1/25.
  const std::vector<UnknownMoments> moments = propagateMoments(
      *rows, {boundedEntryMoments(0, 2, 12),
                 normalEntryMoments(1, 0.25)});
  ASSERT_EQ(moments.size(), 2u);
  EXPECT_EQ(moments[0].mean, -0.1);
  EXPECT_EQ(moments[1].mean, 0.2);
  EXPECT_EQ(moments[0].variance, 0.2425);
  EXPECT_EQ(moments[1].variance,
            roundToDouble(cpp_rational(4, 75), RoundingDirection::kToNearest));
}

TEST(ExactMoments, RefusesInconsistentInput) {
  const auto rows = ExactRows::compute(1, {2}, {0});
  ASSERT_TRUE(rows);
  EXPECT_EQ(refusal([&] { propagateMoments(*rows, {}); }),
            "exact moments: 0 entries, not 1");
  EXPECT_EQ(refusal([&] {
              propagateMoments(*rows, {EntryMoments{0, cpp_rational(-1, 3)}});
            }),
            "exact moments: entry 0 has a negative variance");
  EXPECT_EQ(refusal([] { normalEntryMoments(0, -1); }),
            "exact moments: normal variance is negative");
  EXPECT_EQ(refusal([] { discretisedEntryMoments({0, 1}, {0, 0}); }),
            "exact moments: the cell weights sum to 0");
}

}  // namespace
}  // namespace linprob
