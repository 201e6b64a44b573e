#include "results/solution_measures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include <boost/multiprecision/cpp_int.hpp>

#include "linear/step_replay.h"
#include "linear/system_files.h"

namespace linprob {
namespace {

using boost::multiprecision::cpp_rational;

TEST(SolutionMeasuresTest, ForwardErrorAndOverestimation) {
  EXPECT_EQ(forwardErrorUlps(std::nextafter(1.0, 2.0), 1.0), 1.0);
  // Below 1 the doubles are twice as dense: one step down is half a place.
  EXPECT_EQ(forwardErrorUlps(std::nextafter(1.0, 0.0), 1.0), 0.5);
  EXPECT_EQ(forwardErrorUlps(-3.0 - 0x1p-49, -3.0), 4.0);  // ulp(3) = 2^-51
  const double tiny = std::numeric_limits<double>::denorm_min();
  EXPECT_EQ(forwardErrorUlps(3 * tiny, tiny), 2.0);
  EXPECT_EQ(forwardErrorUlps(-0.0, 0.0), std::nullopt);
  EXPECT_EQ(forwardErrorUlps(1e-300, 0.0), std::nullopt);
  // By unknown: the point against the true value, the interval against
  // the hull.
  ExactReference reference;
  reference.trueSolution = {1.0, 2.0};
  reference.hull = {ValueBounds{0.5, 1.5}, ValueBounds{1.5, 2.5}};
  const SolutionMeasures one =
      measureSolution(2.0, Interval(1.0, 3.0), reference, 1);
  EXPECT_EQ(one.forwardErrorUlps, std::nullopt);
  EXPECT_EQ(one.intervalOverestimation, 2.0);
  const SolutionMeasures zero = measureSolution(
      std::nextafter(1.0, 2.0), Interval(0.0, 4.0), reference, 0);
  EXPECT_EQ(zero.forwardErrorUlps, 1.0);
  EXPECT_EQ(zero.intervalOverestimation, 4.0);
  EXPECT_EQ(intervalOverestimation(Interval(1.0), {1.0, 1.0}), std::nullopt);
  // A true value or hull the certification left open leaves its measure
  // empty.
  reference.trueSolution[0] = std::nullopt;
  reference.hull[1] = std::nullopt;
  const SolutionMeasures openOne =
      measureSolution(2.0, Interval(1.0, 3.0), reference, 1);
  const SolutionMeasures openZero = measureSolution(
      std::nextafter(1.0, 2.0), Interval(0.0, 4.0), reference, 0);
  EXPECT_EQ(openOne.intervalOverestimation, std::nullopt);
  EXPECT_EQ(openZero.forwardErrorUlps, std::nullopt);
  EXPECT_EQ(openZero.intervalOverestimation, 4.0);
}

std::vector<double> readAll(const std::string& path) {
  std::ifstream in(path);
  std::vector<double> values;
  for (double v; in >> v;) values.push_back(v);
  return values;
}

// The bundled Matrix3 without pivoting: its naive interval solution is far
// wider than the exact hull, computed here by Gauss-Jordan elimination on
// rationals: hull_i = sum_j Inv_ij mid_j -+ sum_j |Inv_ij| rad_j.
TEST(SolutionMeasuresTest, BundledMatrix3OverestimatesWithoutPivoting) {
  const std::string folder = std::string(LINPROB_SOURCE_DIR) + "/examples/Matrix3/";
  const unsigned n = 4;
  const std::vector<double> a = readAll(folder + "Matice.txt");
  const std::vector<double> box = readAll(folder + "IntRHS.txt");
  ASSERT_GE(a.size(), 16u);
  ASSERT_GE(box.size(), 8u);

  std::vector<std::vector<cpp_rational>> m(n, std::vector<cpp_rational>(2 * n));
  for (unsigned r = 0; r < n; ++r) {
    for (unsigned c = 0; c < n; ++c) m[r][c] = cpp_rational(a[r * n + c]);
    m[r][n + r] = 1;
  }
  for (unsigned k = 0; k < n; ++k) {
    unsigned p = k;
    while (m[p][k] == 0) ++p;
    std::swap(m[k], m[p]);
    const cpp_rational pivot = m[k][k];
    for (auto& x : m[k]) x /= pivot;
    for (unsigned r = 0; r < n; ++r) {
      if (r == k) continue;
      const cpp_rational f = m[r][k];
      for (unsigned c = 0; c < 2 * n; ++c) m[r][c] -= f * m[k][c];
    }
  }
  std::vector<double> hullWidth(n);
  for (unsigned i = 0; i < n; ++i) {
    cpp_rational spread = 0;
    for (unsigned j = 0; j < n; ++j) {
      const cpp_rational rad =
          (cpp_rational(box[2 * j + 1]) - cpp_rational(box[2 * j])) / 2;
      spread += abs(m[i][n + j]) * rad;
    }
    hullWidth[i] = static_cast<double>(2 * spread);
  }

  // The naive interval solution, as the program finds it.
  LinearSystem system(n);
  setMatrixRows(std::vector<double>(a.begin(), a.begin() + n * n), system);
  system.eliminate(kPivotModes[0]);
  std::vector<Interval> interval;
  for (unsigned j = 0; j < n; ++j) {
    interval.push_back(Interval(box[2 * j], box[2 * j + 1]));
  }
  replaySteps(interval, system.steps());
  std::vector<double> rhs(n);
  std::vector<ValueBounds> bounds(n);
  for (unsigned j = 0; j < n; ++j) bounds[j] = {box[2 * j], box[2 * j + 1]};
  const auto reference = computeExactReference(
      n, std::vector<double>(a.begin(), a.begin() + 16), rhs, bounds);
  ASSERT_TRUE(reference);
  std::vector<SolutionMeasures> measures;
  for (unsigned k = 0; k < n; ++k) {
    const unsigned unknown = system.columnOrder()[k];
    measures.push_back(measureSolution(0.0, interval[k], *reference, unknown));
    const double width = interval[k].upper() - interval[k].lower();
    ASSERT_TRUE(measures[k].intervalOverestimation);
    // The hull's ends are rounded outward before the program divides: a
    // relative tolerance of 1e-12 covers that and the rounding of the
    // widths.
    EXPECT_NEAR(*measures[k].intervalOverestimation,
                width / hullWidth[unknown],
                1e-12 * width / hullWidth[unknown])
        << unknown;
  }
  // x0 in [-230.939, 290.939] against a hull of width 19.6 around 30.
  EXPECT_NEAR(*measures[0].intervalOverestimation, 26.5997, 1e-4);
}

}  // namespace
}  // namespace linprob
