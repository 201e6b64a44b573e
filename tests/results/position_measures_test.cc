#include "results/position_measures.h"

#include <gtest/gtest.h>

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

// ---- JCGM 101 section 9.2: Y = X1 + X2 + X3 + X4 ---------------------------
//
// The system A x = b with A = [[1, -1, -1, -1], [0, 1, 0, 0], [0, 0, 1, 0],
// [0, 0, 0, 1]] has x0 = b0 + b1 + b2 + b3. Every entry has the same cells,
// on a lattice v_m = v_0 + m w, so x0 lies on the lattice 4 v_0 + k w with
// the four-fold convolution of the cell weights; the test builds that
// distribution itself and reads its 2.5 % and 97.5 % points off it.
struct AdditiveModel {
  PhaseResult phase;
  double lowQuantile = 0.0;   // first lattice value with F > 2.5 %
  double highQuantile = 0.0;  // first lattice value with F >= 97.5 %
  double latticeMean = 0.0;
  double latticeSd = 0.0;
};

AdditiveModel additiveModel(Family family, int cellCount) {
  const unsigned n = 4;
  const double root3 = std::sqrt(3.0);
  SystemInputs inputs;
  inputs.n = n;
  inputs.matrix = {1, -1, -1, -1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  inputs.rhs.assign(n, 0.0);
  inputs.intervalRhs.assign(n, {-1.0, 1.0});
  for (unsigned j = 0; j < n; ++j) {
    inputs.normalPairs.insert(inputs.normalPairs.end(), {0.0, 1.0});
    inputs.boundsPairs.insert(inputs.boundsPairs.end(), {-root3, root3});
  }
  const std::vector<double> zeros(n, 0.0), ones(n, 1.0);
  const std::vector<double> lower(n, -root3), upper(n, root3);
  const RectangleTable cells =
      family == Family::kNormal ? normalCells(n, cellCount, zeros, ones)
                                : uniformCells(n, cellCount, lower, upper);
  inputs.cells[static_cast<std::size_t>(family)] = cells;
  const SystemReference reference = makeSystemReference(inputs);

  // Convolution of entry 0's weights with itself, four times.
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
  const double first = cells.front()[0].value;
  const double width =
      (cells.back()[0].value - first) / static_cast<double>(cells.size() - 1);
  std::vector<double> values(weights.size());
  AdditiveModel model;
  double cdf = 0.0;
  long double sum = 0.0L, square = 0.0L;
  bool lowFound = false, highFound = false;
  for (std::size_t k = 0; k < values.size(); ++k) {
    values[k] = 4 * first + static_cast<double>(k) * width;
    cdf += weights[k];
    if (!lowFound && cdf > 0.025) model.lowQuantile = values[k];
    if (!highFound && cdf >= 0.975) model.highQuantile = values[k];
    lowFound = lowFound || cdf > 0.025;
    highFound = highFound || cdf >= 0.975;
    sum += static_cast<long double>(weights[k]) * values[k];
    square += static_cast<long double>(weights[k]) * values[k] * values[k];
  }
  model.latticeMean = static_cast<double>(sum);
  model.latticeSd = static_cast<double>(std::sqrt(square - sum * sum));

  // INVALID: the family's moments through the recorded elimination.
  LinearSystem system(n);
  for (unsigned r = 0; r < n; ++r) {
    for (unsigned c = 0; c < n; ++c) system.matrix[c][r] = inputs.matrix[r * n + c];
  }
  system.eliminate(false, false);
  std::vector<NormalParameters> moments(
      n, familyMoments(family, family == Family::kNormal ? 0.0 : -root3,
                       family == Family::kNormal ? 1.0 : root3));
  replaySteps(moments, system.steps);

  PhaseBands bands(n);
  bands[0] = countedBands(values, weights, 10);
  model.phase = makePhaseResult(family, std::move(bands), moments,
                                system.columnOrder);
  measurePhase(model.phase, reference);
  return model;
}

// The verdict of an approximation N(mean, sd) against the lattice's own
// 95 % points, with delta = 0.05 for u = 2 (two significant digits).
bool latticeVerdict(const AdditiveModel& model, double mean, double sd) {
  const double halfWidth = 1.959964 * sd;
  const double dLow = std::fabs(mean - halfWidth - model.lowQuantile);
  const double dHigh = std::fabs(mean + halfWidth - model.highQuantile);
  return std::max(dLow, dHigh) <= 0.05;
}

void expectAdditiveFigures(const AdditiveModel& model, bool validated,
                           double low, double high) {
  const PositionMeasures& m = model.phase.positions[0].measures;
  ASSERT_TRUE(m.coverage && m.invalid && m.exactLinear && m.moments &&
              m.expectedMoments);
  // u = 2: the exact linear propagation of four unit variances, and INVALID
  // the same up to the rounding of the entries' moments.
  EXPECT_NEAR(m.exactLinear->normal.sd, 2.0, 1e-15);
  EXPECT_NEAR(m.invalid->normal.sd, 2.0, 1e-15);
  // The coverage bounds lie on the fine sub-band borders: within one
  // resolution of the lattice points that cross 2.5 % and 97.5 %.
  const double r = m.coverage->resolution;
  EXPECT_LE(m.coverage->symmetricLower, model.lowQuantile);
  EXPECT_GT(m.coverage->symmetricLower, model.lowQuantile - r);
  EXPECT_GE(m.coverage->symmetricUpper, model.highQuantile);
  EXPECT_LT(m.coverage->symmetricUpper, model.highQuantile + r);
  // The figures, to four decimals.
  EXPECT_NEAR(m.coverage->symmetricLower, low, 5e-5);
  EXPECT_NEAR(m.coverage->symmetricUpper, high, 5e-5);
  // The verdicts, decided here on the lattice; the margins exceed r.
  ASSERT_TRUE(m.invalid->validation && m.exactLinear->validation);
  EXPECT_EQ(m.exactLinear->validation->delta, 0.05);
  EXPECT_EQ(latticeVerdict(model, 0.0, 2.0), validated);
  EXPECT_EQ(m.invalid->validation->validated, validated);
  EXPECT_EQ(m.exactLinear->validation->validated, validated);
  // The cells' moments propagated exactly are the lattice's moments. Long
  // double sums and the double weights agree to about 1e-15; the solved
  // values' moments, summed in double about 0, to about 1e-13.
  EXPECT_NEAR(m.expectedMoments->mean, model.latticeMean, 1e-14);
  EXPECT_NEAR(m.expectedMoments->sd, model.latticeSd, 1e-14);
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

// ---- Random enumeration phases ----------------------------------------------

// Solves A x = b in long double (Gaussian elimination, partial pivoting).
std::vector<long double> solveLong(std::vector<long double> a,
                                   std::vector<long double> b, unsigned n) {
  for (unsigned k = 0; k < n; ++k) {
    unsigned p = k;
    for (unsigned r = k + 1; r < n; ++r) {
      if (std::fabs(a[r * n + k]) > std::fabs(a[p * n + k])) p = r;
    }
    for (unsigned c = 0; c < n; ++c) std::swap(a[k * n + c], a[p * n + c]);
    std::swap(b[k], b[p]);
    for (unsigned r = k + 1; r < n; ++r) {
      const long double f = a[r * n + k] / a[k * n + k];
      for (unsigned c = k; c < n; ++c) a[r * n + c] -= f * a[k * n + c];
      b[r] -= f * b[k];
    }
  }
  std::vector<long double> x(n);
  for (unsigned k = n; k-- > 0;) {
    long double s = b[k];
    for (unsigned c = k + 1; c < n; ++c) s -= a[k * n + c] * x[c];
    x[k] = s / a[k * n + k];
  }
  return x;
}

// Every combination of random cells solved on its own: its weighted moments
// are what expected_moments promises, and what the counting pass's moments
// reproduce.
TEST(PositionMeasuresTest, EnumeratedMomentsMatchTheExpectedOnes) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> uniform(-2.0, 2.0);
  for (int trial = 0; trial < 12; ++trial) {
    const unsigned n = 2 + trial % 2;
    const int cellCount = 2 + trial % 4;
    SystemInputs inputs;
    inputs.n = n;
    for (unsigned r = 0; r < n; ++r) {
      for (unsigned c = 0; c < n; ++c) {
        inputs.matrix.push_back(uniform(random) + (r == c ? 5.0 : 0.0));
      }
    }
    inputs.rhs.assign(n, 0.0);
    inputs.intervalRhs.assign(n, {0.0, 0.0});
    inputs.normalPairs.assign(2 * n, 1.0);
    inputs.boundsPairs.assign(2 * n, 1.0);
    RectangleTable cells(cellCount, std::vector<SampleRectangle>(n));
    for (unsigned j = 0; j < n; ++j) {
      double total = 0.0;
      for (auto& row : cells) {
        row[j] = {uniform(random) * 10.0, uniform(random) + 2.5};
        total += row[j].probability;
      }
      for (auto& row : cells) row[j].probability /= total;
    }
    inputs.cells[0] = cells;  // the triangular phase
    const SystemReference reference = makeSystemReference(inputs);

    // Enumerate every job: x for each combination, weight the product.
    std::vector<std::vector<double>> values(n);
    std::vector<double> weights;
    std::vector<long double> a(inputs.matrix.begin(), inputs.matrix.end());
    std::vector<unsigned> index(n, 0);
    for (bool more = true; more;) {
      std::vector<long double> b(n);
      double w = 1.0;
      for (unsigned j = 0; j < n; ++j) {
        b[j] = cells[index[j]][j].value;
        w *= cells[index[j]][j].probability;
      }
      const std::vector<long double> x = solveLong(a, b, n);
      for (unsigned i = 0; i < n; ++i) {
        values[i].push_back(static_cast<double>(x[i]));
      }
      weights.push_back(w);
      more = false;
      for (unsigned j = n; j-- > 0;) {
        if (++index[j] < static_cast<unsigned>(cellCount)) {
          more = true;
          break;
        }
        index[j] = 0;
      }
    }
    PhaseBands bands;
    std::vector<unsigned> order;
    for (unsigned i = 0; i < n; ++i) {
      bands.push_back(countedBands(values[i], weights, 10,
                                   values[i][values[i].size() / 2]));
      order.push_back(i);
    }
    PhaseResult phase = makePhaseResult(Family::kTriangular, std::move(bands),
                                        {}, order);
    measurePhase(phase, reference);
    for (unsigned i = 0; i < n; ++i) {
      const PositionMeasures& m = phase.positions[i].measures;
      ASSERT_TRUE(m.moments && m.expectedMoments) << trial;
      // Double weights and values summed in double: agreement to about
      // 1e-13 of the spread is what rounding allows.
      const double scale = std::fabs(m.expectedMoments->mean) +
                           m.expectedMoments->sd;
      EXPECT_NEAR(m.moments->mean, m.expectedMoments->mean, 1e-12 * scale)
          << trial << " " << i;
      EXPECT_NEAR(m.moments->sd, m.expectedMoments->sd, 1e-12 * scale)
          << trial << " " << i;
    }
  }
}

// ---- What is left empty --------------------------------------------------------

TEST(PositionMeasuresTest, MissingPiecesLeaveTheirFieldsEmpty) {
  SystemInputs inputs;
  inputs.n = 2;
  inputs.matrix = {2, 0, 0, 4};
  inputs.rhs = {2, 8};
  inputs.intervalRhs = {{1, 3}, {4, 12}};
  inputs.normalPairs = {2, 1, 8, 0};  // the second entry is a known constant
  inputs.boundsPairs = {0, 4, 0, 8};
  inputs.enumerate = false;
  const SystemReference reference = makeSystemReference(inputs);

  PhaseBands bands(2);
  // Position 0: bands without the counting pass's accumulators.
  bands[0] = countedBands({0.5, 1.0, 1.5}, {0.25, 0.5, 0.25}, 2);
  bands[0].moments.reset();
  bands[0].fine.reset();
  // Position 1: every solved value equal (2 = 8 / 4).
  bands[1] = countedBands({2.0, 2.0}, {0.5, 0.5}, 2);
  PhaseResult phase = makePhaseResult(Family::kNormal, std::move(bands),
                                      {{1.0, 0.25}, {2.0, 0.0}}, {0, 1});
  measurePhase(phase, reference);

  const PositionMeasures& first = phase.positions[0].measures;
  EXPECT_FALSE(first.moments || first.coverage);
  ASSERT_TRUE(first.invalid && first.exactLinear);
  EXPECT_TRUE(first.invalid->discrepancy && first.exactLinear->discrepancy);
  EXPECT_FALSE(first.invalid->validation || first.exactLinear->validation);
  // diag(2, 4): INVALID and the exact propagation are the same normal.
  EXPECT_EQ(first.exactLinearTable.masses, phase.positions[0].invalid.masses);
  EXPECT_EQ(first.exactLinearTable.lowerTail,
            phase.positions[0].invalid.lowerTail);

  const PositionResult& second = phase.positions[1];
  EXPECT_FALSE(second.valid.fine);  // released once read
  ASSERT_TRUE(second.measures.coverage && second.measures.exactLinear);
  // A point mass at 2: no band walked, so no discrepancy; both tails meet.
  EXPECT_FALSE(second.measures.exactLinear->discrepancy);
  EXPECT_EQ(second.measures.exactLinearTable.lowerTail, 1.0);
  EXPECT_EQ(second.measures.exactLinearTable.upperTail, 0.0);
  // u = 0: no verdict.
  ASSERT_TRUE(second.measures.exactLinear->validation);
  EXPECT_FALSE(second.measures.exactLinear->validation->validated);

  // Without exact references, and in a phase without jobs.
  SystemReference none = reference;
  none.exact.reset();
  none.families = {};
  PhaseBands more(2);
  more[0] = countedBands({0.5, 1.5}, {0.5, 0.5}, 2);
  PhaseResult unreferenced =
      makePhaseResult(Family::kNormal, std::move(more), {{1, 0.25}}, {0, 1});
  measurePhase(unreferenced, none);
  const PositionMeasures& alone = unreferenced.positions[0].measures;
  EXPECT_TRUE(alone.invalid && alone.moments && alone.coverage);
  EXPECT_FALSE(alone.exactLinear || alone.expectedMoments);
  const PositionMeasures& unsolved = unreferenced.positions[1].measures;
  EXPECT_FALSE(unsolved.moments || unsolved.expectedMoments ||
               unsolved.coverage || unsolved.invalid || unsolved.exactLinear);
}

}  // namespace
}  // namespace linprob
