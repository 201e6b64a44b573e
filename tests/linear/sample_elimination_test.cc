#include "linear/sample_elimination.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "linear/linear_system.h"
#include "linear/pivot_mode.h"
#include "linear/sample_batch.h"
#include "linear/step_replay.h"

namespace linprob {
namespace {

// The recorded elimination and its replay, the solution by unknown.
std::vector<double> recordedSolution(unsigned n, const std::vector<double>& a,
                                     std::vector<double> b,
                                     const PivotMode& mode) {
  LinearSystem system = LinearSystem::fromRows(n, a);
  system.eliminate(mode);
  replaySteps(b, system.steps());
  std::vector<double> x(n);
  for (unsigned k = 0; k < n; ++k) x[system.columnOrder()[k]] = b[k];
  return x;
}

std::vector<double> sampleSolution(SampleElimination& solver,
                                   const std::vector<double>& a,
                                   const std::vector<double>& b) {
  EXPECT_EQ(solver.solve(a.data(), b.data(), 1), SampleOutcome::kSolved);
  std::vector<double> x(solver.size());
  for (unsigned k = 0; k < solver.size(); ++k) {
    x[solver.unknownAt(k)] = solver.valueAt(k);
  }
  return x;
}

// Random matrices of every size around the recorded elimination's panels
// of 16, and integer ones full of ties between pivot candidates: the same
// solution bit for bit under every mode.
TEST(SampleEliminationTest, SolvesAsTheRecordedEliminationBitForBit) {
  std::mt19937_64 random(11);
  std::normal_distribution<double> normal;
  std::uniform_int_distribution<int> small(-3, 3);
  for (unsigned n : {1u, 2u, 3u, 5u, 16u, 17u, 35u}) {
    for (int integers = 0; integers < 2; ++integers) {
      std::vector<double> a(std::size_t{n} * n);
      std::vector<double> b(n);
      for (double& v : a) v = integers ? small(random) : normal(random);
      for (unsigned r = 0; r < n; ++r) a[std::size_t{r} * n + r] += 8.0;
      for (double& v : b) v = normal(random);
      for (const PivotMode& mode : kPivotModes) {
        SampleElimination solver(n, mode, 1e15);
        const std::vector<double> expected = recordedSolution(n, a, b, mode);
        const std::vector<double> x = sampleSolution(solver, a, b);
        for (unsigned k = 0; k < n; ++k) {
          EXPECT_EQ(x[k], expected[k])
              << "n " << n << " mode " << mode.label << " unknown " << k;
        }
      }
    }
  }
}

// Strided lanes as a job block holds them; the pivots record where the
// rows came from.
TEST(SampleEliminationTest, ReadsLanesAndRecordsItsPivots) {
  // Lane 1 of two: A = [[1, 2], [4, 3]], b = (5, 6).
  const std::vector<double> a = {0, 1, 0, 2, 0, 4, 0, 3};
  const std::vector<double> b = {0, 5, 0, 6};
  SampleElimination row(2, kPivotModes[1], 1e15);
  ASSERT_EQ(row.solve(a.data() + 1, b.data() + 1, 2), SampleOutcome::kSolved);
  EXPECT_EQ(row.pivotRows()[0], 1u);
  EXPECT_EQ(row.pivotColumns()[0], 0u);
  // x = A^-1 b = (-0.6, 2.8).
  EXPECT_NEAR(row.valueAt(0), -0.6, 1e-15);
  EXPECT_NEAR(row.valueAt(1), 2.8, 1e-15);
  SampleElimination none(2, kPivotModes[0], 1e15);
  ASSERT_EQ(none.solve(a.data() + 1, b.data() + 1, 2), SampleOutcome::kSolved);
  EXPECT_EQ(none.pivotRows()[0], 0u);
}

// A zero pivot, a singular matrix and one past the condition limit are
// refused, as the start of a run refuses such a matrix.
TEST(SampleEliminationTest, RefusesWhatTheSingularityRuleRefuses) {
  const std::vector<double> b = {1, 1};
  SampleElimination none(2, kPivotModes[0], 1e15);
  const std::vector<double> zeroPivot = {0, 1, 1, 0};
  EXPECT_EQ(none.solve(zeroPivot.data(), b.data(), 1), SampleOutcome::kRefused);
  SampleElimination row(2, kPivotModes[1], 1e15);
  EXPECT_EQ(row.solve(zeroPivot.data(), b.data(), 1), SampleOutcome::kSolved);
  const std::vector<double> singular = {1, 2, 2, 4};
  EXPECT_EQ(row.solve(singular.data(), b.data(), 1), SampleOutcome::kRefused);
  const std::vector<double> nearly = {1, 1, 1, 1 + 1e-12};
  EXPECT_EQ(row.solve(nearly.data(), b.data(), 1), SampleOutcome::kSolved);
  SampleElimination strict(2, kPivotModes[1], 1e11);
  EXPECT_EQ(strict.solve(nearly.data(), b.data(), 1), SampleOutcome::kRefused);
  const std::vector<double> infinite = {
      1, std::numeric_limits<double>::infinity(), 0, 1};
  EXPECT_EQ(row.solve(infinite.data(), b.data(), 1), SampleOutcome::kRefused);
}

// Without pivoting this system's inverse grows past the doubles and a row
// of it becomes NaN, while its solution stays finite and the other rows'
// sums keep the condition number under the limit: refused (the NaN row
// was once passed over), by the batch too.
TEST(SampleEliminationTest, AnInverseRowThatIsNoNumberRefuses) {
  const std::vector<double> a = {1e-100, 0,      0,      1e-150,
                                 1e100,  1,      0,      1e150,
                                 1e150,  1e150,  1e-100, 0,
                                 1e100,  2,      0,      -1e150};
  const std::vector<double> b = {1e-200, 0, 1, 1e-200};
  SampleElimination none(4, kPivotModes[0], 1e15);
  EXPECT_EQ(none.solve(a.data(), b.data(), 1), SampleOutcome::kRefused);
  std::vector<double> lanesA(a.size() * kBatchLanes);
  std::vector<double> lanesB(b.size() * kBatchLanes);
  for (std::size_t l = 0; l < kBatchLanes; ++l) {
    for (std::size_t e = 0; e < a.size(); ++e) lanesA[e * kBatchLanes + l] = a[e];
    for (std::size_t e = 0; e < b.size(); ++e) lanesB[e * kBatchLanes + l] = b[e];
  }
  SampleBatch batch(4, kPivotModes[0], 1e15);
  batch.solve(lanesA.data(), lanesB.data(), kBatchLanes, kBatchLanes);
  EXPECT_FALSE(batch.solved(0));
}

}  // namespace
}  // namespace linprob
