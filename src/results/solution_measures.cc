#include "results/solution_measures.h"

#include <algorithm>
#include <cmath>

namespace linprob {

std::optional<double> forwardErrorUlps(double value, double truth) {
  if (!std::isfinite(value) || !std::isfinite(truth)) return std::nullopt;
  if (value == truth || truth == 0.0) return std::nullopt;
  // truth = f 2^e with 0.5 <= |f| < 1: its last place is 2^(e - 53), and
  // never below the smallest subnormal's 2^-1074.
  int exponent = 0;
  std::frexp(truth, &exponent);
  const int lastPlace = std::max(exponent - 53, -1074);
  const double difference = std::fabs(value - truth);
  return std::ldexp(difference, -lastPlace);
}

std::optional<double> intervalOverestimation(const Interval& interval,
                                             const ValueBounds& hull) {
  const double hullWidth = hull.upper - hull.lower;
  if (!(hullWidth > 0.0)) return std::nullopt;
  const double width = interval.upper() - interval.lower();
  return width / hullWidth;
}

SolutionMeasures measureSolution(double plainReplay, const Interval& interval,
                                 const ExactReference& reference,
                                 unsigned unknown) {
  SolutionMeasures measures;
  if (const std::optional<double>& truth = reference.trueSolution[unknown]) {
    measures.forwardErrorUlps = forwardErrorUlps(plainReplay, *truth);
  }
  if (const std::optional<ValueBounds>& hull = reference.hull[unknown]) {
    measures.intervalOverestimation = intervalOverestimation(interval, *hull);
  }
  return measures;
}

}  // namespace linprob
