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
