#include "linear/linear_system.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stop_token>
#include <thread>
#include <utility>
#include <vector>

#include "linear/replay_schedule.h"
#include "linear/step_replay.h"
#include "linear/tiled_replay.h"
#include "support/same_bits.h"

namespace linprob {
namespace {

// Builds a system from its rows, as the matrix file lists them.
LinearSystem systemOf(const std::vector<std::vector<double>>& rows) {
  LinearSystem system(static_cast<unsigned>(rows.size()));
  for (unsigned r = 0; r < rows.size(); ++r) {
    for (unsigned c = 0; c < rows.size(); ++c) system.setCoefficient(r, c, rows[r][c]);
  }
  return system;
}

void expectStep(const step& s, StepKind type, unsigned first, unsigned second,
                double value) {
  EXPECT_EQ(s.type, type);
  EXPECT_EQ(s.first, first);
  if (type != StepKind::kScaling) {
    EXPECT_EQ(s.second, second);
  }
  EXPECT_EQ(s.value, value);
}

TEST(LinearSystemTest, ConstructionGivesZerosIdentityOrderAndNoSteps) {
  const LinearSystem system(3);
  EXPECT_EQ(system.size(), 3u);
  EXPECT_EQ(system.columnOrder(), (std::vector<unsigned>{0, 1, 2}));
  EXPECT_EQ(system.matrix(),
            std::vector<std::vector<double>>(3, std::vector<double>(3, 0.0)));
  EXPECT_TRUE(system.steps().empty());
}

TEST(LinearSystemTest, WorkedExampleWithRowPivoting) {
  LinearSystem system = systemOf({{0, 1}, {2, 3}});
  system.eliminate(kPivotModes[1]);
  ASSERT_EQ(system.steps().size(), 5u);
  expectStep(system.steps()[0], StepKind::kExchange, 1, 0, kRowExchange);
  expectStep(system.steps()[1], StepKind::kCombination, 0, 1, 0.0);
  EXPECT_TRUE(std::signbit(system.steps()[1].value));  // -0 / 2
  expectStep(system.steps()[2], StepKind::kCombination, 1, 0, -3.0);
  expectStep(system.steps()[3], StepKind::kScaling, 1, 0, 1.0);
  expectStep(system.steps()[4], StepKind::kScaling, 0, 0, 2.0);
  EXPECT_EQ(system.columnOrder(), (std::vector<unsigned>{0, 1}));
  // The diagonal is set to exactly 1 by the scalings.
  EXPECT_EQ(system.matrix()[0][0], 1.0);
  EXPECT_EQ(system.matrix()[1][1], 1.0);
}

TEST(LinearSystemTest, StepOrderWithoutExchanges) {
  LinearSystem system = systemOf({{4, 1, 2}, {1, 5, 1}, {2, 1, 6}});
  system.eliminate(kPivotModes[0]);
  // n (n - 1) combinations and n scalings: forward i = 0, 1, then backward
  // b = 2, 1, 0 with the nearest row above first, each followed by its
  // scaling.
  const std::vector<std::pair<unsigned, unsigned>> expected{
      {0, 1}, {0, 2}, {1, 2}, {2, 1}, {2, 0}, {2, 2}, {1, 0}, {1, 1}, {0, 0}};
  ASSERT_EQ(system.steps().size(), expected.size());
  for (std::size_t k = 0; k < expected.size(); ++k) {
    const step& s = system.steps()[k];
    const bool scaling = expected[k].first == expected[k].second;
    EXPECT_EQ(s.type, scaling ? StepKind::kScaling : StepKind::kCombination) << k;
    EXPECT_EQ(s.first, expected[k].first) << k;
    if (!scaling) {
      EXPECT_EQ(s.second, expected[k].second) << k;
    }
  }
  // The first factor is computed from the loaded values: -A(1,0) / A(0,0).
  EXPECT_EQ(system.steps()[0].value, -0.25);
  EXPECT_EQ(system.steps()[8].value, 4.0);
}

TEST(LinearSystemTest, SingleUnknownRecordsOneScaling) {
  for (const PivotMode& mode : kPivotModes) {
    LinearSystem system = systemOf({{7}});
    system.eliminate(mode);
    ASSERT_EQ(system.steps().size(), 1u);
    expectStep(system.steps()[0], StepKind::kScaling, 0, 0, 7.0);
  }
}

TEST(LinearSystemTest, IdentityRecordsNegativeZeroFactorsAndUnitScalings) {
  LinearSystem system = systemOf({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}});
  system.eliminate(kPivotModes[0]);
  ASSERT_EQ(system.steps().size(), 9u);
  for (const step& s : system.steps()) {
    if (s.type == StepKind::kCombination) {
      EXPECT_EQ(s.value, 0.0);
      EXPECT_TRUE(std::signbit(s.value));
    } else {
      EXPECT_EQ(s.type, StepKind::kScaling);
      EXPECT_EQ(s.value, 1.0);
    }
  }
}

TEST(LinearSystemTest, RowPivotTieGoesToTheFirstRow) {
  LinearSystem system = systemOf({{1, 0, 0}, {-3, 1, 0}, {3, 0, 1}});
  system.eliminate(kPivotModes[1]);
  expectStep(system.steps()[0], StepKind::kExchange, 1, 0, kRowExchange);
  EXPECT_EQ(system.steps()[1].type, StepKind::kCombination);
}

TEST(LinearSystemTest, CompletePivotingRecordsColumnBeforeRowExchange) {
  // Largest entry 9 at row 2, column 1.
  LinearSystem system = systemOf({{1, 0, 0}, {0, 2, 0}, {0, 9, 3}});
  system.eliminate(kPivotModes[3]);
  expectStep(system.steps()[0], StepKind::kExchange, 1, 0, kColumnExchange);
  expectStep(system.steps()[1], StepKind::kExchange, 2, 0, kRowExchange);
  EXPECT_EQ(system.columnOrder(), (std::vector<unsigned>{1, 0, 2}));
}

TEST(LinearSystemTest, CompletePivotingTieGoesToTheLowestColumn) {
  // |A(2,0)| = |A(0,1)| = 5: column 0 is scanned first, so only rows move.
  LinearSystem system = systemOf({{1, 5, 0}, {0, 1, 0}, {5, 0, 1}});
  system.eliminate(kPivotModes[3]);
  expectStep(system.steps()[0], StepKind::kExchange, 2, 0, kRowExchange);
  EXPECT_EQ(system.steps()[1].type, StepKind::kCombination);
  EXPECT_EQ(system.columnOrder()[0], 0u);
}

TEST(LinearSystemTest, ColumnPivotingScansAlongTheRow) {
  // The 5 below the zero pivot is not a candidate; the 3 in row 0 is.
  LinearSystem system = systemOf({{0, 3}, {5, 1}});
  system.eliminate(kPivotModes[2]);
  expectStep(system.steps()[0], StepKind::kExchange, 1, 0, kColumnExchange);
  EXPECT_EQ(system.columnOrder(), (std::vector<unsigned>{1, 0}));
  // The exchange moved whole columns: row 0 is now 3 0.
  EXPECT_EQ(system.steps().back().value, 3.0);
}

TEST(LinearSystemTest, AllZeroCandidatesChooseNothing) {
  for (const PivotMode& mode : kPivotModes) {
    LinearSystem system = systemOf({{0, 0}, {0, 0}});
    system.eliminate(mode);
    EXPECT_EQ(system.steps().size(), 4u);
    for (const step& s : system.steps()) EXPECT_NE(s.type, StepKind::kExchange);
    EXPECT_EQ(system.columnOrder(), (std::vector<unsigned>{0, 1}));
  }
}

TEST(LinearSystemTest, CombinationsRoundProductAndSumSeparately) {
  // Rows 1 x and -f -1 give the factor f and then A(1, 1) = x * f - 1 with
  // x * f = 1 - 2^-60 exactly: rounded first it is 1, so the new pivot is
  // 0. A fused multiply-add would leave -2^-60.
  const double x = 1.0 + std::ldexp(1.0, -30);
  const double f = 1.0 - std::ldexp(1.0, -30);
  LinearSystem system = systemOf({{1, x}, {-f, -1}});
  system.eliminate(kPivotModes[0]);
  expectStep(system.steps()[0], StepKind::kCombination, 0, 1, f);
  // Backward: the combination into row 0, then the scaling of row 1 by it.
  expectStep(system.steps()[2], StepKind::kScaling, 1, 0, 0.0);
}

// The elimination written out one operation at a time on a matrix of its
// own, as eliminate() documents it: the pivot search, then each combination
// over every column with its factor taken just before, the scalings.
struct OneByOne {
  std::vector<std::vector<double>> matrix;  // by columns
  std::vector<unsigned> columnOrder;
  std::vector<step> steps;
  double pivotGrowth = 0.0;
};

OneByOne eliminatedOneByOne(std::vector<std::vector<double>> a, bool rowPivot,
                            bool colPivot) {
  const auto n = static_cast<unsigned>(a.size());
  OneByOne out;
  out.columnOrder.resize(n);
  for (unsigned k = 0; k < n; ++k) out.columnOrder[k] = k;
  double largest = 0.0;
  for (const auto& column : a) {
    for (double v : column) largest = std::fmax(largest, std::fabs(v));
  }
  const double inputLargest = largest;
  const auto addRow = [&](unsigned source, unsigned target, double factor) {
    out.steps.push_back(step{StepKind::kCombination, source, target, factor});
    for (unsigned t = 0; t < n; ++t) {
      const double product = a[t][source] * factor;
      a[t][target] = product + a[t][target];
      if (std::fabs(a[t][target]) > largest) largest = std::fabs(a[t][target]);
    }
  };
  for (unsigned i = 0; i < n; ++i) {
    double best = 0.0;
    unsigned bestRow = 0;
    unsigned bestColumn = 0;
    for (unsigned c = i; c < n; ++c) {
      for (unsigned r = i; r < n; ++r) {
        const bool candidate = (rowPivot && colPivot) ||
                               (rowPivot && c == i) || (colPivot && r == i);
        if (candidate && std::fabs(a[c][r]) > best) {
          best = std::fabs(a[c][r]);
          bestRow = r;
          bestColumn = c;
        }
      }
    }
    if (colPivot && bestColumn > i) {
      std::swap(a[bestColumn], a[i]);
      std::swap(out.columnOrder[bestColumn], out.columnOrder[i]);
      out.steps.push_back(
          step{StepKind::kExchange, bestColumn, i, kColumnExchange});
    }
    if (rowPivot && bestRow > i) {
      for (auto& column : a) std::swap(column[bestRow], column[i]);
      out.steps.push_back(step{StepKind::kExchange, bestRow, i, kRowExchange});
    }
    for (unsigned j = i + 1; j < n; ++j) addRow(i, j, -a[i][j] / a[i][i]);
  }
  for (unsigned b = n; b-- > 0;) {
    for (unsigned m = b; m-- > 0;) addRow(b, m, -a[b][m] / a[b][b]);
    out.steps.push_back(step{StepKind::kScaling, b, 0, a[b][b]});
    a[b][b] = 1.0;
  }
  out.matrix = a;
  out.pivotGrowth = largest / inputLargest;
  return out;
}

TEST(LinearSystemTest, EliminationMatchesOneCombinationAtATime) {
  // Random matrices with ties and zeros, so that every mode exchanges.
  // Beyond 16 unknowns the pivots are taken in panels; 33 ends in a panel
  // of one. A panel's pivots go over the other columns four at a time,
  // their exchanges (often into the next pivots' rows) done on the way:
  // 67 and 100 end in panels of 3 and 4.
  std::mt19937_64 random(5);
  for (const unsigned n : {1u, 2u, 5u, 12u, 33u, 40u, 67u, 100u}) {
    for (const PivotMode& mode : kPivotModes) {
      std::vector<std::vector<double>> columns(n, std::vector<double>(n));
      LinearSystem system(n);
      for (unsigned c = 0; c < n; ++c) {
        for (unsigned r = 0; r < n; ++r) {
          columns[c][r] = random() % 5 == 0
                              ? 0.0
                              : static_cast<double>(random() % 9) - 4.5;
          system.setCoefficient(r, c, columns[c][r]);
        }
      }
      const OneByOne expected =
          eliminatedOneByOne(columns, mode.rowPivot, mode.colPivot);
      system.eliminate(mode);
      SCOPED_TRACE("n = " + std::to_string(n) + ", " + mode.label);
      ASSERT_EQ(system.steps().size(), expected.steps.size());
      for (std::size_t k = 0; k < expected.steps.size(); ++k) {
        const step& want = expected.steps[k];
        const step& got = system.steps()[k];
        ASSERT_TRUE(got.type == want.type && got.first == want.first &&
                    got.second == want.second &&
                    sameBits(got.value, want.value))
            << "step " << k;
      }
      EXPECT_EQ(system.columnOrder(), expected.columnOrder);
      EXPECT_TRUE(sameBits(system.pivotGrowth(), expected.pivotGrowth));
      for (unsigned c = 0; c < n; ++c) {
        for (unsigned r = 0; r < n; ++r) {
          ASSERT_TRUE(sameBits(system.matrix()[c][r], expected.matrix[c][r]))
              << "A(" << r << ", " << c << ")";
        }
      }
    }
  }
}

TEST(LinearSystemTest, ScheduleIsCompiledOnceAndFollowsItsOwnSteps) {
  std::mt19937_64 random(9);
  const unsigned n = 40;
  LinearSystem system(n);
  for (unsigned c = 0; c < n; ++c) {
    for (unsigned r = 0; r < n; ++r) {
      system.setCoefficient(r, c, static_cast<double>(random() % 9) - 4.5);
    }
  }
  LinearSystem before = system;  // shares nothing once eliminated
  system.eliminate(kPivotModes[0]);
  before.eliminate(kPivotModes[3]);
  // Asked from two threads at once: one compiles, both get it.
  const ReplaySchedule* seen[2] = {nullptr, nullptr};
  {
    std::jthread other([&] { seen[1] = &system.schedule(); });
    seen[0] = &system.schedule();
  }
  EXPECT_EQ(seen[0], seen[1]);
  const LinearSystem after = system;
  EXPECT_EQ(&after.schedule(), seen[0]);
  EXPECT_NE(&before.schedule(), seen[0]);
  // Each schedule replays its own system's steps.
  for (const LinearSystem* eliminated : {&system, &before}) {
    ASSERT_TRUE(eliminated->schedule().usable());
    std::vector<double> rhs(n);
    for (double& b : rhs) b = static_cast<double>(random() % 17) - 8.0;
    std::vector<double> tiled = rhs;
    replayScheduled(eliminated->schedule(), tiled.data(), 1, 1);
    replaySteps(rhs, eliminated->steps());
    for (unsigned k = 0; k < n; ++k) {
      ASSERT_TRUE(sameBits(tiled[k], rhs[k])) << k;
    }
  }
}

TEST(LinearSystemTest, AStopEndsTheEliminationBeforeItsNextPivot) {
  // Requested before the start: no pivot is taken under any mode, in panels
  // or not.
  std::stop_source stopped;
  stopped.request_stop();
  for (const PivotMode& mode : kPivotModes) {
    LinearSystem system(40);
    for (unsigned k = 0; k < 40; ++k) system.setCoefficient(k, k, 2.0);
    system.eliminate(mode, stopped.get_token());
    for (const step& s : system.steps()) {
      EXPECT_NE(s.type, StepKind::kCombination) << mode.label;
      EXPECT_NE(s.type, StepKind::kScaling) << mode.label;
    }
  }
}

TEST(LinearSystemTest, ExchangesMoveRowsOrColumns) {
  LinearSystem rows = systemOf({{1, 2}, {3, 4}});
  rows.eliminate(kPivotModes[1]);
  expectStep(rows.steps()[0], StepKind::kExchange, 1, 0, kRowExchange);
  EXPECT_EQ(rows.columnOrder(), (std::vector<unsigned>{0, 1}));
  // The factor of the rows below comes from the exchanged rows: -1 / 3.
  EXPECT_EQ(rows.steps()[1].value, -1.0 / 3.0);
  LinearSystem columns = systemOf({{1, 2}, {3, 4}});
  columns.eliminate(kPivotModes[2]);
  expectStep(columns.steps()[0], StepKind::kExchange, 1, 0, kColumnExchange);
  EXPECT_EQ(columns.columnOrder(), (std::vector<unsigned>{1, 0}));
  // Columns moved: row 1 is now 4 3, factor -4 / 2.
  EXPECT_EQ(columns.steps()[1].value, -2.0);
}

TEST(LinearSystemTest, PivotFaultOfAZeroOnTheDiagonalWithoutPivoting) {
  LinearSystem system = systemOf({{0, 1}, {2, 3}});
  system.eliminate(kPivotModes[0]);
  const std::optional<PivotFault> fault = findPivotFault(system);
  ASSERT_TRUE(fault.has_value());
  EXPECT_EQ(fault->position, 0u);
  EXPECT_FALSE(std::isfinite(fault->pivot));
  // Row pivoting cures the same matrix.
  LinearSystem pivoted = systemOf({{0, 1}, {2, 3}});
  pivoted.eliminate(kPivotModes[1]);
  EXPECT_FALSE(findPivotFault(pivoted).has_value());
}

TEST(LinearSystemTest, PivotFaultOfASingularMatrixUnderEveryMode) {
  for (const PivotMode& mode : kPivotModes) {
    LinearSystem system = systemOf({{1, 2}, {2, 4}});
    system.eliminate(mode);
    const std::optional<PivotFault> fault = findPivotFault(system);
    ASSERT_TRUE(fault.has_value()) << mode.index;
    EXPECT_EQ(fault->position, 1u);
  }
  // A zero matrix of one unknown fails on its scaling by 0.
  LinearSystem single = systemOf({{0}});
  single.eliminate(kPivotModes[0]);
  const std::optional<PivotFault> fault = findPivotFault(single);
  ASSERT_TRUE(fault.has_value());
  EXPECT_EQ(fault->position, 0u);
  EXPECT_EQ(fault->pivot, 0.0);
}

TEST(LinearSystemTest, NoPivotFaultOnARegularMatrix) {
  for (const PivotMode& mode : kPivotModes) {
    LinearSystem system = systemOf({{4, 1, 2}, {1, 5, 1}, {2, 1, 6}});
    system.eliminate(mode);
    EXPECT_FALSE(findPivotFault(system).has_value()) << mode.index;
  }
}

// Without pivoting the small pivot 0.25 turns the 1 below it into
// 1 - 4 * 1 = -3: growth 3. Every pivoting mode picks a pivot of 1 instead
// and nothing grows.
TEST(LinearSystemTest, PivotGrowthOfASmallPivot) {
  const std::vector<double> growth = {3.0, 1.0, 1.0, 1.0};
  for (std::size_t m = 0; m < 4; ++m) {
    LinearSystem system = systemOf({{0.25, 1}, {1, 1}});
    system.eliminate(kPivotModes[m]);
    EXPECT_EQ(system.pivotGrowth(), growth[m]) << m;
  }
  // Relative to the input's largest entry: the same matrix times 8.
  LinearSystem scaled = systemOf({{2, 8}, {8, 8}});
  scaled.eliminate(kPivotModes[0]);
  EXPECT_EQ(scaled.pivotGrowth(), 3.0);
  LinearSystem zero = systemOf({{0, 0}, {0, 0}});
  zero.eliminate(kPivotModes[0]);
  EXPECT_TRUE(std::isnan(zero.pivotGrowth()));
}

}  // namespace
}  // namespace linprob
