#include "linear/sample_batch.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

#include "linear/pivot_mode.h"
#include "linear/sample_elimination.h"

namespace linprob {
namespace {

// Every lane as SampleElimination solves its system alone, bit for bit:
// random and integer matrices full of ties, a singular and an infinite
// system among them, a short batch, every mode.
TEST(SampleBatchTest, EveryLaneIsItsSystemSolvedAlone) {
  std::mt19937_64 random(17);
  std::normal_distribution<double> normal;
  std::uniform_int_distribution<int> small(-2, 2);
  constexpr std::size_t kStride = 11;
  for (unsigned n : {1u, 2u, 3u, 6u, 13u, 17u}) {
    for (std::size_t lanes : {kBatchLanes, std::size_t{5}}) {
      std::vector<double> a(std::size_t{n} * n * kStride);
      std::vector<double> b(std::size_t{n} * kStride);
      for (std::size_t l = 0; l < kStride; ++l) {
        const bool integers = l % 2 == 1;
        for (std::size_t e = 0; e < std::size_t{n} * n; ++e) {
          a[e * kStride + l] = integers ? small(random) : normal(random);
        }
        for (unsigned r = 0; r < n; ++r) b[r * kStride + l] = normal(random);
      }
      // Lane 2 singular (two equal rows), lane 3 not finite.
      if (n >= 2) {
        for (unsigned c = 0; c < n; ++c) a[(n + c) * kStride + 2] = a[c * kStride + 2];
      }
      a[3] = std::numeric_limits<double>::infinity();
      for (const PivotMode& mode : kPivotModes) {
        SampleBatch batch(n, mode, 1e15);
        batch.solve(a.data(), b.data(), kStride, lanes);
        SampleElimination alone(n, mode, 1e15);
        for (std::size_t l = 0; l < lanes; ++l) {
          const bool solved =
              alone.solve(a.data() + l, b.data() + l, kStride) ==
              SampleOutcome::kSolved;
          ASSERT_EQ(batch.solved(l), solved)
              << "n " << n << " mode " << mode.label << " lane " << l;
          if (!solved) continue;
          for (unsigned k = 0; k < n; ++k) {
            EXPECT_EQ(batch.valueAt(l, k), alone.valueAt(k));
            EXPECT_EQ(batch.unknownAt(l, k), alone.unknownAt(k));
            EXPECT_EQ(batch.pivotRow(l, k), alone.pivotRows()[k]);
            EXPECT_EQ(batch.pivotColumn(l, k), alone.pivotColumns()[k]);
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace linprob

namespace linprob {
namespace {

// Well-conditioned lanes are decided by the bound on the inverse's row
// sums, lanes near the limit by the inverse itself: the same refusals as
// SampleElimination's, and the same solutions, either way. A 2 x 2 system
// [[1, 1], [1, 1 + d]] has condition number about 4 / d.
TEST(SampleBatchTest, TheBoundAndTheInverseDecideAlike) {
  const std::vector<double> ds = {1.0, 0.5, 1e-3, 1e-10, 8e-15, 2e-15,
                                  4.4e-16, 3.0};
  constexpr std::size_t kLanes = kBatchLanes;
  std::vector<double> a(4 * kLanes);
  std::vector<double> b(2 * kLanes);
  for (std::size_t l = 0; l < kLanes; ++l) {
    const double d = ds[l % ds.size()];
    a[0 * kLanes + l] = 1.0;
    a[1 * kLanes + l] = 1.0;
    a[2 * kLanes + l] = 1.0;
    a[3 * kLanes + l] = 1.0 + d;
    b[0 * kLanes + l] = 1.0;
    b[1 * kLanes + l] = 2.0;
  }
  for (const PivotMode& mode : kPivotModes) {
    SampleBatch batch(2, mode, 1e15);
    SampleElimination alone(2, mode, 1e15);
    // Twice: the second batch follows one the bound left undecided.
    for (int round = 0; round < 2; ++round) {
      batch.solve(a.data(), b.data(), kLanes, kLanes);
      // d = 8e-15 stays within the limit, 2e-15 goes past it.
      EXPECT_TRUE(batch.solved(4)) << mode.label;
      EXPECT_FALSE(batch.solved(5)) << mode.label;
      for (std::size_t l = 0; l < kLanes; ++l) {
        const bool solved = alone.solve(a.data() + l, b.data() + l, kLanes) ==
                            SampleOutcome::kSolved;
        ASSERT_EQ(batch.solved(l), solved) << mode.label << " lane " << l;
        if (!solved) continue;
        EXPECT_EQ(batch.valueAt(l, 0), alone.valueAt(0));
        EXPECT_EQ(batch.valueAt(l, 1), alone.valueAt(1));
      }
    }
  }
  // Every lane well conditioned: decided by the bound alone, alike.
  for (std::size_t l = 0; l < kLanes; ++l) a[3 * kLanes + l] = 2.0 + l;
  SampleBatch batch(2, kPivotModes[1], 1e15);
  batch.solve(a.data(), b.data(), kLanes, kLanes);
  for (std::size_t l = 0; l < kLanes; ++l) EXPECT_TRUE(batch.solved(l));
}

}  // namespace
}  // namespace linprob

namespace linprob {
namespace {

// Every entry uniform on [-1, 1]: the first bound cannot decide such
// matrices at n = 50, the certificate decides them at the program's limit,
// the inverse near their own condition numbers (about 1e3): under each
// limit every lane refused or solved as SampleElimination does it.
TEST(SampleBatchTest, TheCertificateDecidesAsTheInverseWould) {
  std::mt19937_64 random(29);
  std::uniform_real_distribution<double> entry(-1.0, 1.0);
  constexpr unsigned n = 50;
  constexpr std::size_t kLanes = 2 * kBatchLanes;
  std::vector<double> a(std::size_t{n} * n * kLanes);
  std::vector<double> b(std::size_t{n} * kLanes);
  for (double& v : a) v = entry(random);
  for (double& v : b) v = entry(random);
  for (const PivotMode& mode : kPivotModes) {
    for (double most : {1e15, 1e8, 1e4, 2e3, 5e2}) {
      SampleBatch batch(n, mode, most);
      SampleElimination alone(n, mode, most);
      for (std::size_t first = 0; first < kLanes; first += kBatchLanes) {
        batch.solve(a.data() + first, b.data() + first, kLanes, kBatchLanes);
        for (std::size_t l = 0; l < kBatchLanes; ++l) {
          const bool solved =
              alone.solve(a.data() + first + l, b.data() + first + l,
                          kLanes) == SampleOutcome::kSolved;
          ASSERT_EQ(batch.solved(l), solved)
              << mode.label << " limit " << most << " lane " << first + l;
          if (solved) {
            EXPECT_EQ(batch.valueAt(l, 7), alone.valueAt(7));
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace linprob

namespace linprob {
namespace {

// Without pivoting this system's bound column grows past the doubles: a
// row reaches inf, and inf times a zero factor makes NaN in the rows it
// feeds, the inf row among them. A bound that passed over NaN rows kept
// only the finite ones and accepted the system; the inverse refuses it.
TEST(SampleBatchTest, ABoundPastTheDoublesLeavesTheDecisionToTheInverse) {
  constexpr unsigned n = 5;
  const double matrix[n * n] = {
      1e-150, 2,       0,      1,      2,       1e150,  0,      1e150, 1e-150,
      1,      -1e150,  -1e200, 2,      0,       1e-150, 1,      2,     1e200,
      1e200,  -1e150,  1,      -1,     -1,      0,      -1e150};
  std::vector<double> a(n * n * kBatchLanes);
  std::vector<double> b(n * kBatchLanes, 1.0);
  for (unsigned e = 0; e < n * n; ++e) {
    for (std::size_t l = 0; l < kBatchLanes; ++l) {
      a[e * kBatchLanes + l] = matrix[e];
    }
  }
  SampleElimination alone(n, kPivotModes[0], 1e15);
  ASSERT_EQ(alone.solve(a.data(), b.data(), kBatchLanes),
            SampleOutcome::kRefused);
  SampleBatch batch(n, kPivotModes[0], 1e15);
  batch.solve(a.data(), b.data(), kBatchLanes, kBatchLanes);
  for (std::size_t l = 0; l < kBatchLanes; ++l) EXPECT_FALSE(batch.solved(l));
}

}  // namespace
}  // namespace linprob
