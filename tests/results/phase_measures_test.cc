#include "results/phase_measures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "distributions/discretisation.h"
#include "linear/step_replay.h"
#include "results/phase_result.h"
#include "support/counted_bands.h"

namespace linprob {
namespace {

using testing::countedBands;

// JCGM 101 section 9.2, Y = X1 + X2 + X3 + X4, as the system A x = b with
// A = [[1, -1, -1, -1], [0, 1, 0, 0], [0, 0, 1, 0], [0, 0, 0, 1]]: x0 is the
// sum of the four entries. All entries have the same cells on a lattice
// v_m = v_0 + m w, so x0 lies on 4 v_0 + k w with the four-fold convolution
// of the cell weights; the test builds that distribution itself and reads
// its 2.5 % and 97.5 % points off it.
struct AdditiveModel {
  PhaseResult phase;
  double low = 0.0;   // first lattice value with F > 2.5 %
  double high = 0.0;  // first lattice value with F >= 97.5 %
};

AdditiveModel additiveModel(Family family, int cellCount) {
  const unsigned n = 4;
  const bool normal = family == Family::kNormal;
  const double p = normal ? 0.0 : -std::sqrt(3.0);  // mean or lower end
  const double q = normal ? 1.0 : std::sqrt(3.0);   // variance or upper end
  SystemInputs inputs;
  inputs.n = n;
  inputs.matrix = {1, -1, -1, -1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  inputs.rhs.assign(n, 0.0);
  inputs.intervalRhs.assign(n, {-1.0, 1.0});
  inputs.parametersOf(ParameterKind::kNormal).assign(2 * n, 1.0);
  inputs.parametersOf(ParameterKind::kBounds).assign(2 * n, 1.0);
  for (unsigned j = 0; j < n; ++j) {
    std::vector<double>& pairs = normal ? inputs.parametersOf(ParameterKind::kNormal) : inputs.parametersOf(ParameterKind::kBounds);
    pairs[2 * j] = p;
    pairs[2 * j + 1] = q;
  }
  const std::vector<double> first(n, p), second(n, q);
  const RectangleTable cells = normal ? normalCells(n, cellCount, first, second)
                                      : uniformCells(n, cellCount, first, second);
  inputs.cells[static_cast<std::size_t>(family)] = cells;

  std::vector<double> weights = {1.0};
  for (unsigned j = 0; j < n; ++j) {
    std::vector<double> next(weights.size() + cells.size() - 1, 0.0);
    for (std::size_t a = 0; a < weights.size(); ++a) {
      for (std::size_t m = 0; m < cells.size(); ++m) {
        next[a + m] += weights[a] * cells[m][0].probability;
      }
    }
    weights = next;
  }
  const double v0 = cells.front()[0].value;
  const double w = (cells.back()[0].value - v0) / (cellCount - 1.0);
  std::vector<double> values(weights.size());
  AdditiveModel model;
  double cdf = 0.0;
  for (std::size_t k = 0; k < values.size(); ++k) {
    values[k] = 4 * v0 + static_cast<double>(k) * w;
    if (cdf <= 0.025 && cdf + weights[k] > 0.025) model.low = values[k];
    if (cdf < 0.975 && cdf + weights[k] >= 0.975) model.high = values[k];
    cdf += weights[k];
  }

  // INVALID: the family's moments through the recorded elimination.
  LinearSystem system(n);
  for (unsigned r = 0; r < n; ++r) {
    for (unsigned c = 0; c < n; ++c) system.setCoefficient(r, c, inputs.matrix[r * n + c]);
  }
  system.eliminate(kPivotModes[0]);
  std::vector<NormalParameters> moments(n, familyInfo(family).moments(std::vector<double>{p, q}));
  replaySteps(moments, system.steps());
  PhaseBands bands(n);
  bands[0] = countedBands(values, weights, 10);
  model.phase = makePhaseResult(family, std::move(bands), moments,
                                system.columnOrder());
  measurePhase(model.phase, makeSystemReference(inputs));
  return model;
}

void expectAdditiveFigures(const AdditiveModel& model, bool validated,
                           double low, double high) {
  const PositionResult& x0 = model.phase.positions[0];
  const PositionMeasures& m = x0.measures;
  ASSERT_TRUE(m.coverage && m.invalid && m.exactLinear && m.moments &&
              m.expectedMoments);
  EXPECT_FALSE(x0.valid.fine);  // released once read
  // u = 2: four unit variances, exactly; INVALID up to the rounding of the
  // entries' moments (sqrt(3) squared).
  EXPECT_NEAR(m.exactLinear->normal.sd, 2.0, 1e-15);
  EXPECT_NEAR(m.invalid->normal.sd, 2.0, 1e-15);
  // The bounds lie on fine sub-band borders, within one resolution below
  // (above) the lattice point that crosses 2.5 % (97.5 %).
  const double r = m.coverage->resolution;
  EXPECT_LE(m.coverage->symmetricLower, model.low);
  EXPECT_GT(m.coverage->symmetricLower, model.low - r);
  EXPECT_GE(m.coverage->symmetricUpper, model.high);
  EXPECT_LT(m.coverage->symmetricUpper, model.high + r);
  // The figures, to four decimals.
  EXPECT_NEAR(m.coverage->symmetricLower, low, 5e-5);
  EXPECT_NEAR(m.coverage->symmetricUpper, high, 5e-5);
  // The verdict decided here on the lattice points (delta = 0.05 for
  // u = 2); every margin below exceeds the resolution r.
  const double dLow = std::fabs(-1.959964 * 2 - model.low);
  const double dHigh = std::fabs(1.959964 * 2 - model.high);
  EXPECT_EQ(std::max(dLow, dHigh) <= 0.05, validated);
  ASSERT_TRUE(m.invalid->validation && m.exactLinear->validation);
  EXPECT_EQ(m.exactLinear->validation->delta, 0.05);
  EXPECT_EQ(m.invalid->validation->validated, validated);
  EXPECT_EQ(m.exactLinear->validation->validated, validated);
  // The solved values' moments, summed in double, reproduce the cells'
  // moments propagated exactly to about 1e-14.
  EXPECT_NEAR(m.moments->mean, m.expectedMoments->mean, 1e-12);
  EXPECT_NEAR(m.moments->sd, m.expectedMoments->sd, 1e-12);
}

// Four N(0, 1): the continuous interval is +-3.92. 100 cells per entry
// give [-3.9125, 3.9134] (sd 1.9949) and the normal approximation is
// validated; the default 50 cells stop at about 3 standard deviations, the
// sum's sd drops to 1.9723, its interval to [-3.8284, 3.8293], and the
// approximation fails at two digits (d = 0.09 > 0.05).
TEST(PositionMeasuresTest, AdditiveModelOfFourNormals) {
  expectAdditiveFigures(additiveModel(Family::kNormal, 100), true, -3.9125,
                        3.9134);
  expectAdditiveFigures(additiveModel(Family::kNormal, 50), false, -3.8284,
                        3.8293);
}

// Four rectangular inputs of sd 1: the continuous interval is +-3.88. The
// uniform cells sit at their lower edges, which moves the sum by -2 w (w the
// cell width): with 1000 cells to [-3.8875, 3.8736] (d = 0.033 and 0.046),
// validated; with 50 to [-4.0191, 3.7419] (d = 0.18), not.
TEST(PositionMeasuresTest, AdditiveModelOfFourRectangulars) {
  expectAdditiveFigures(additiveModel(Family::kUniform, 1000), true, -3.8875,
                        3.8736);
  expectAdditiveFigures(additiveModel(Family::kUniform, 50), false, -4.0191,
                        3.7419);
}

// Random 2 x 2 systems and random cells: every combination solved on its own
// (Cramer's rule in long double) gives the solved values whose moments
// expected_moments promises, and which the counting pass's moments reproduce.
TEST(PositionMeasuresTest, EnumeratedMomentsMatchTheExpectedOnes) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> uniform(-2.0, 2.0);
  for (int trial = 0; trial < 12; ++trial) {
    const int cellCount = 2 + trial % 4;
    SystemInputs inputs;
    inputs.n = 2;
    inputs.matrix = {uniform(random) + 5, uniform(random), uniform(random),
                     uniform(random) + 5};
    inputs.rhs.assign(2, 0.0);
    inputs.intervalRhs.assign(2, {0.0, 0.0});
    inputs.parametersOf(ParameterKind::kNormal).assign(4, 1.0);
    inputs.parametersOf(ParameterKind::kBounds).assign(4, 1.0);
    RectangleTable cells(cellCount, std::vector<SampleRectangle>(2));
    for (unsigned j = 0; j < 2; ++j) {
      double total = 0.0;
      for (auto& row : cells) {
        row[j] = {uniform(random) * 10.0, uniform(random) + 2.5};
        total += row[j].probability;
      }
      for (auto& row : cells) row[j].probability /= total;
    }
    inputs.cells[0] = cells;  // the triangular phase's
    const std::vector<long double> a(inputs.matrix.begin(), inputs.matrix.end());
    const long double det = a[0] * a[3] - a[1] * a[2];
    std::vector<double> x0, x1, weights;
    for (const auto& first : cells) {
      for (const auto& second : cells) {
        const long double b0 = first[0].value, b1 = second[1].value;
        x0.push_back(static_cast<double>((b0 * a[3] - a[1] * b1) / det));
        x1.push_back(static_cast<double>((a[0] * b1 - a[2] * b0) / det));
        weights.push_back(first[0].probability * second[1].probability);
      }
    }
    PhaseBands bands = {countedBands(x0, weights, 10, x0[0]),
                        countedBands(x1, weights, 10, x1[0])};
    PhaseResult phase =
        makePhaseResult(Family::kTriangular, std::move(bands), {}, {0, 1});
    measurePhase(phase, makeSystemReference(inputs));
    for (const PositionResult& position : phase.positions) {
      const PositionMeasures& m = position.measures;
      ASSERT_TRUE(m.moments && m.expectedMoments) << trial;
      // Values rounded to double and summed in double: agreement to about
      // 1e-13 of the spread is what rounding allows.
      const double scale = std::fabs(m.expectedMoments->mean) +
                           m.expectedMoments->sd;
      EXPECT_NEAR(m.moments->mean, m.expectedMoments->mean, 1e-12 * scale)
          << trial;
      EXPECT_NEAR(m.moments->sd, m.expectedMoments->sd, 1e-12 * scale)
          << trial;
    }
  }
}

}  // namespace
}  // namespace linprob
