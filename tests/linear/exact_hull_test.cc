// The exact hull of [A] x = [b]: the published hulls of two textbook
// systems, and on random 3 x 3 and 4 x 4 systems the box of every vertex
// system's solutions, enumerated here in exact rationals (the hull's ends
// are reached at vertices of [A] and [b] for a regular [A]). Every verified
// enclosure and the naive elimination under each pivot order contain it.
#include "linear/exact_hull.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include <arf.h>
#include <flint/fmpq.h>
#include <flint/fmpq_mat.h>

#include "linear/interval_matrix.h"
#include "linear/verified_enclosures.h"

namespace linprob {
namespace {

IntervalMatrix matrixOf(unsigned n, const std::vector<ValueBounds>& entries) {
  return IntervalMatrix{n, entries};
}

// The box of the solutions of every vertex system, exactly, rounded
// outward: for each vertex A, x_i ranges over A^-1 b_c +- |A^-1| delta.
std::vector<ValueBounds> vertexBox(const IntervalMatrix& a,
                                   const std::vector<ValueBounds>& b) {
  const slong n = a.n;
  fmpq_mat_t vertex, inverse;
  fmpq_mat_init(vertex, n, n);
  fmpq_mat_init(inverse, n, n);
  fmpq_t value, lowest, highest;
  fmpq_init(value);
  fmpq_init(lowest);
  fmpq_init(highest);
  auto exact = [](fmpq_t out, double x) {
    arf_t e;
    arf_init(e);
    arf_set_d(e, x);
    arf_get_fmpq(out, e);
    arf_clear(e);
  };
  std::vector<ValueBounds> box(a.n, ValueBounds{HUGE_VAL, -HUGE_VAL});
  fmpq* storage = _fmpq_vec_init(2 * n);
  // Each coefficient's two ends, exactly: [2k] lower, [2k + 1] upper.
  fmpq* ends = _fmpq_vec_init(2 * n * n);
  for (slong k = 0; k < n * n; ++k) {
    exact(ends + 2 * k, a.entries[static_cast<std::size_t>(k)].lower);
    exact(ends + 2 * k + 1, a.entries[static_cast<std::size_t>(k)].upper);
  }
  fmpq* rhsEnds = _fmpq_vec_init(2 * n);
  for (slong j = 0; j < n; ++j) {
    exact(rhsEnds + 2 * j, b[static_cast<std::size_t>(j)].lower);
    exact(rhsEnds + 2 * j + 1, b[static_cast<std::size_t>(j)].upper);
  }
  bool first = true;
  for (std::uint64_t v = 0; v < (std::uint64_t{1} << (n * n)); ++v) {
    for (slong k = 0; k < n * n; ++k) {
      fmpq_set(fmpq_mat_entry(vertex, k / n, k % n),
               ends + 2 * k + static_cast<slong>(v >> k & 1));
    }
    EXPECT_TRUE(fmpq_mat_inv(inverse, vertex));
    for (slong i = 0; i < n; ++i) {
      // The least and the largest of sum_j (A^-1)_ij b_j over b's vertices.
      fmpq_zero(lowest);
      fmpq_zero(highest);
      for (slong j = 0; j < n; ++j) {
        const fmpq* c = fmpq_mat_entry(inverse, i, j);
        const fmpq* low = rhsEnds + 2 * j;
        const fmpq* high = rhsEnds + 2 * j + 1;
        fmpq_mul(value, c, fmpq_sgn(c) >= 0 ? low : high);
        fmpq_add(lowest, lowest, value);
        fmpq_mul(value, c, fmpq_sgn(c) >= 0 ? high : low);
        fmpq_add(highest, highest, value);
      }
      if (first || fmpq_cmp(lowest, storage + i) < 0) fmpq_set(storage + i, lowest);
      if (first || fmpq_cmp(highest, storage + n + i) > 0) {
        fmpq_set(storage + n + i, highest);
      }
    }
    first = false;
  }
  arf_t r;
  arf_init(r);
  for (slong i = 0; i < n; ++i) {
    arf_set_fmpq(r, storage + i, 53, ARF_RND_FLOOR);
    box[i].lower = arf_get_d(r, ARF_RND_FLOOR);
    arf_set_fmpq(r, storage + n + i, 53, ARF_RND_CEIL);
    box[i].upper = arf_get_d(r, ARF_RND_CEIL);
  }
  arf_clear(r);
  _fmpq_vec_clear(storage, 2 * n);
  _fmpq_vec_clear(ends, 2 * n * n);
  _fmpq_vec_clear(rhsEnds, 2 * n);
  fmpq_clear(value);
  fmpq_clear(lowest);
  fmpq_clear(highest);
  fmpq_mat_clear(vertex);
  fmpq_mat_clear(inverse);
  return box;
}

void expectContains(const Enclosure& outer, const std::vector<ValueBounds>& hull,
                    const char* what) {
  ASSERT_TRUE(outer.bounds) << what << ": " << outer.reason;
  for (std::size_t i = 0; i < hull.size(); ++i) {
    EXPECT_LE((*outer.bounds)[i].lower, hull[i].lower) << what << " " << i;
    EXPECT_GE((*outer.bounds)[i].upper, hull[i].upper) << what << " " << i;
  }
}

// Every enclosure of the system contains its hull; the naive elimination
// under the identity order and under the reversed one too.
void expectEnclosuresHold(const IntervalMatrix& a,
                          const std::vector<ValueBounds>& b,
                          const std::vector<ValueBounds>& hull) {
  const VerifiedEnclosures verified = verifiedEnclosures(a, b);
  ASSERT_TRUE(verified.regular) << verified.regularityReason;
  expectContains(verified.hansenBliekRohn, hull, "Hansen-Bliek-Rohn");
  expectContains(verified.krawczyk, hull, "Krawczyk");
  expectContains(verified.gaussSeidel, hull, "Gauss-Seidel");
  PivotOrder order;
  for (unsigned k = 0; k < a.n; ++k) {
    order.rows.push_back(k);
    order.columns.push_back(k);
  }
  expectContains(naiveElimination(a, b, order), hull, "naive");
  std::reverse(order.rows.begin(), order.rows.end());
  std::reverse(order.columns.begin(), order.columns.end());
  const Enclosure reversed = naiveElimination(a, b, order);
  if (reversed.bounds) expectContains(reversed, hull, "naive, reversed");
}

// Barth and Nuding (1974): the hull is [-4, 4] x [-4, 4].
TEST(ExactHullTest, BarthAndNudingsExample) {
  const IntervalMatrix a =
      matrixOf(2, {{2, 4}, {-2, 1}, {-1, 2}, {2, 4}});
  const std::vector<ValueBounds> b = {{-2, 2}, {-2, 2}};
  const Enclosure hull = exactHull(a, b);
  ASSERT_TRUE(hull.bounds) << hull.reason;
  EXPECT_EQ(*hull.bounds, (std::vector<ValueBounds>{{-4, 4}, {-4, 4}}));
  EXPECT_EQ(*hull.bounds, vertexBox(a, b));
  expectEnclosuresHold(a, b, *hull.bounds);
}

// Hansen's example: the hull is [-120, 90] x [-60, 240].
TEST(ExactHullTest, HansensExample) {
  const IntervalMatrix a = matrixOf(2, {{2, 3}, {0, 1}, {1, 2}, {2, 3}});
  const std::vector<ValueBounds> b = {{0, 120}, {60, 240}};
  const Enclosure hull = exactHull(a, b);
  ASSERT_TRUE(hull.bounds) << hull.reason;
  EXPECT_EQ(*hull.bounds, (std::vector<ValueBounds>{{-120, 90}, {-60, 240}}));
  EXPECT_EQ(*hull.bounds, vertexBox(a, b));
  expectEnclosuresHold(a, b, *hull.bounds);
}

// Random diagonally dominant systems with radii up to a tenth of an entry.
TEST(ExactHullTest, EqualsTheBoxOfEveryVertexSystem) {
  std::mt19937_64 engine(2026);
  std::uniform_real_distribution<double> entry(-1.0, 1.0);
  std::uniform_real_distribution<double> spread(0.0, 0.1);
  for (const unsigned n : {3u, 3u, 3u, 4u}) {
    IntervalMatrix a{n, {}};
    for (unsigned i = 0; i < n; ++i) {
      for (unsigned j = 0; j < n; ++j) {
        const double mid = i == j ? 3.0 + entry(engine) : entry(engine);
        const double r = spread(engine);
        a.entries.push_back({mid - r, mid + r});
      }
    }
    std::vector<ValueBounds> b;
    for (unsigned i = 0; i < n; ++i) {
      const double mid = entry(engine);
      const double r = spread(engine);
      b.push_back({mid - r, mid + r});
    }
    const Enclosure hull = exactHull(a, b, 2);
    ASSERT_TRUE(hull.bounds) << hull.reason;
    EXPECT_EQ(*hull.bounds, vertexBox(a, b)) << n;
    expectEnclosuresHold(a, b, *hull.bounds);
  }
}

// [[1, 2], [2, [3, 5]]] holds a singular matrix (a_22 = 4); the second is
// regular (its determinant is at least 0.32) though C[A] is no H-matrix
// (rho(|A_c^-1| Delta) = 1.2): its hull is still its vertices' box.
TEST(ExactHullTest, DecidesRegularityByItsVertexMatrices) {
  EXPECT_EQ(vertexRegularity(matrixOf(2, {{1, 1}, {2, 2}, {2, 2}, {3, 5}})),
            VertexRegularity::kSingular);
  const IntervalMatrix regular =
      matrixOf(2, {{0.4, 1.6}, {0.4, 1.6}, {-1.6, -0.4}, {0.4, 1.6}});
  EXPECT_EQ(vertexRegularity(regular), VertexRegularity::kRegular);
  EXPECT_FALSE(verifiedEnclosures(regular, {{1, 2}, {-1, 0}}).regular);
  const Enclosure hull = exactHull(regular, {{1, 2}, {-1, 0}});
  ASSERT_TRUE(hull.bounds) << hull.reason;
  EXPECT_EQ(*hull.bounds, vertexBox(regular, {{1, 2}, {-1, 0}}));
  IntervalMatrix nine{kMostVertexRegularity + 1, {}};
  nine.entries.assign(std::size_t{nine.n} * nine.n, ValueBounds{1, 1});
  EXPECT_EQ(vertexRegularity(nine), VertexRegularity::kNotDecided);
}

TEST(ExactHullTest, SaysWhyItIsMissing) {
  IntervalMatrix big{kMostHullUnknowns + 1, {}};
  big.entries.assign(std::size_t{big.n} * big.n, ValueBounds{1, 1});
  EXPECT_EQ(exactHull(big, std::vector<ValueBounds>(big.n)).reason,
            "not computed for more than 12 unknowns (2^n sign vectors, each "
            "an exact solve)");
  const IntervalMatrix singular = matrixOf(2, {{1, 1}, {2, 2}, {1, 1}, {2, 2}});
  EXPECT_EQ(exactHull(singular, {{0, 1}, {0, 1}}).reason,
            "the midpoint matrix is singular");
}

}  // namespace
}  // namespace linprob
