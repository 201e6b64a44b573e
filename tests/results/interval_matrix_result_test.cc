// The interval matrix's results: every method beside the hull, measured
// against it; against the narrowest verified enclosure where there is no
// hull; and nothing but the reason where regularity is not proved.
#include "results/interval_matrix_result.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "linear/exact_hull.h"

namespace linprob {
namespace {

IntervalMatrix dominant(unsigned n, double radius) {
  IntervalMatrix a{n, {}};
  for (unsigned i = 0; i < n; ++i) {
    for (unsigned j = 0; j < n; ++j) {
      const double mid = i == j ? 4.0 : (i + 2 * j) % 3 - 1.0;
      a.entries.push_back({mid - radius, mid + radius});
    }
  }
  return a;
}

std::vector<ValueBounds> rhs(unsigned n) {
  std::vector<ValueBounds> b;
  for (unsigned i = 0; i < n; ++i) b.push_back({i - 0.1, i + 0.1});
  return b;
}

TEST(IntervalMatrixResultTest, MeasuresEveryEnclosureAgainstTheHull) {
  const auto result = intervalMatrixResult(dominant(4, 0.05), rhs(4), 1, {});
  ASSERT_TRUE(result && result->regular);
  EXPECT_EQ(result->reference, "exact hull");
  ASSERT_EQ(result->methods.size(), 8u);
  for (int m = 0; m < 4; ++m) {
    EXPECT_EQ(result->methods[m].method, EnclosureMethod::kNaive);
    EXPECT_EQ(result->methods[m].mode, m);
  }
  EXPECT_EQ(result->methods.back().method, EnclosureMethod::kExactHull);
  EXPECT_EQ(result->methods.back().worst, 1.0);
  for (const MethodEnclosure& m : result->methods) {
    ASSERT_TRUE(m.enclosure.bounds) << enclosureMethodName(m.method);
    ASSERT_TRUE(m.worst);
    EXPECT_GE(*m.worst, 1.0) << enclosureMethodName(m.method);
    for (const auto& ratio : m.overestimation) {
      ASSERT_TRUE(ratio);
      EXPECT_LE(*ratio, *m.worst);
    }
  }
}

TEST(IntervalMatrixResultTest, WithoutAHullTheNarrowestVerifiedEnclosureServes) {
  const unsigned n = 13;  // one above the most the hull takes
  const auto result = intervalMatrixResult(dominant(n, 0.01), rhs(n), 2, {});
  ASSERT_TRUE(result && result->regular);
  EXPECT_EQ(result->reference, "narrowest verified enclosure");
  const MethodEnclosure& hull = result->methods.back();
  EXPECT_FALSE(hull.enclosure.bounds);
  EXPECT_FALSE(hull.worst);
  // Each unknown's narrowest verified enclosure has the ratio 1.
  for (unsigned i = 0; i < n; ++i) {
    double least = 1e300;
    for (std::size_t m = 4; m < 7; ++m) {
      least = std::min(least, *result->methods[m].overestimation[i]);
    }
    EXPECT_EQ(least, 1.0) << i;
  }
}

// [[1, 2], [2, [3, 5]]] holds [[1, 2], [2, 4]], which is singular: its
// vertex matrices say so. Beyond their reach, an [A] that is no H-matrix
// after preconditioning may be singular: nothing but that is said.
TEST(IntervalMatrixResultTest, WithoutRegularityOnlyTheReasonIsGiven) {
  const IntervalMatrix a{2, {{1, 1}, {2, 2}, {2, 2}, {3, 5}}};
  const auto result = intervalMatrixResult(a, rhs(2), 1, {});
  ASSERT_TRUE(result);
  EXPECT_FALSE(result->regular);
  EXPECT_EQ(result->regularityReason.rfind("[A] contains a singular matrix: ", 0),
            0u)
      << result->regularityReason;
  EXPECT_TRUE(result->methods.empty());
  const unsigned n = kMostVertexRegularity + 1;
  IntervalMatrix wide{n, {}};
  for (unsigned i = 0; i < n; ++i) {
    for (unsigned j = 0; j < n; ++j) {
      wide.entries.push_back(i == j ? ValueBounds{1, 1} : ValueBounds{-0.2, 0.2});
    }
  }
  const auto unproved = intervalMatrixResult(wide, rhs(n), 1, {});
  ASSERT_TRUE(unproved);
  EXPECT_FALSE(unproved->regular);
  EXPECT_EQ(unproved->regularityReason,
            "[A] may contain a singular matrix: the preconditioned matrix C[A] "
            "(C an approximate inverse of the midpoint matrix) is not proved "
            "an H-matrix");
}

// Rows of the eliminations and of C[A], and the hull's sign vectors, are
// shared among threads: the bits are those of one thread.
TEST(IntervalMatrixResultTest, TheSameOnAnyNumberOfThreads) {
  for (const unsigned n : {8u, 200u}) {
    const IntervalMatrix a = dominant(n, 0.01);
    const auto one = intervalMatrixResult(a, rhs(n), 1, {});
    const auto several = intervalMatrixResult(a, rhs(n), 4, {});
    ASSERT_TRUE(one && several && one->regular);
    ASSERT_EQ(one->methods.size(), several->methods.size());
    for (std::size_t m = 0; m < one->methods.size(); ++m) {
      EXPECT_EQ(one->methods[m].enclosure.bounds,
                several->methods[m].enclosure.bounds)
          << n << " " << enclosureMethodName(one->methods[m].method);
      EXPECT_EQ(one->methods[m].overestimation, several->methods[m].overestimation);
    }
    EXPECT_EQ(one->methods.back().enclosure.bounds.has_value(), n == 8);
  }
}

// Regular by its vertex matrices though C[A] is no H-matrix: the naive
// eliminations and the hull, the verified enclosures missing with why.
TEST(IntervalMatrixResultTest, VertexRegularityKeepsTheHull) {
  const IntervalMatrix a{2, {{0.4, 1.6}, {0.4, 1.6}, {-1.6, -0.4}, {0.4, 1.6}}};
  const auto result = intervalMatrixResult(a, {{1, 2}, {-1, 0}}, 1, {});
  ASSERT_TRUE(result && result->regular);
  EXPECT_EQ(result->reference, "exact hull");
  EXPECT_TRUE(result->methods.back().enclosure.bounds);
  const MethodEnclosure& hbr = result->methods[4];
  EXPECT_EQ(hbr.method, EnclosureMethod::kHansenBliekRohn);
  EXPECT_FALSE(hbr.enclosure.bounds);
  EXPECT_NE(hbr.enclosure.reason.find("proved by the determinants of its "
                                      "vertex matrices"),
            std::string::npos)
      << hbr.enclosure.reason;
  // The same matrix widened until it holds a singular one.
  const IntervalMatrix wide{2, {{0, 2}, {0, 2}, {-2, 0}, {0, 2}}};
  const auto singular = intervalMatrixResult(wide, {{1, 2}, {-1, 0}}, 1, {});
  ASSERT_TRUE(singular);
  EXPECT_FALSE(singular->regular);
  EXPECT_EQ(singular->regularityReason.rfind("[A] contains a singular matrix: ", 0),
            0u)
      << singular->regularityReason;
}

}  // namespace
}  // namespace linprob
