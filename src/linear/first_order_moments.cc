#include "linear/first_order_moments.h"

#include <algorithm>
#include <cstddef>

#include "linear/step_replay.h"

namespace linprob {

FirstOrderMoments firstOrderMoments(const LinearSystem& mean,
                                    const std::vector<NormalParameters>& rhs,
                                    const std::vector<NormalParameters>& matrix) {
  const unsigned n = mean.size();
  std::vector<double> x0(n);
  for (unsigned k = 0; k < n; ++k) x0[k] = rhs[k].mean;
  replaySteps(x0, mean.steps());
  // x0 by unknown, for the sums over A's columns.
  std::vector<double> byUnknown(n);
  for (unsigned p = 0; p < n; ++p) byUnknown[mean.columnOrder()[p]] = x0[p];
  // What each equation k adds, weighted by (A0^-1)_ik^2.
  std::vector<double> equation(n);
  for (unsigned k = 0; k < n; ++k) {
    double sum = rhs[k].variance;
    for (unsigned j = 0; j < n; ++j) {
      const double v = matrix[std::size_t{k} * n + j].variance;
      const double scaled = v * byUnknown[j];
      const double term = scaled * byUnknown[j];
      sum = sum + term;
    }
    equation[k] = sum;
  }
  FirstOrderMoments result;
  std::vector<NormalParameters>& moments = result.normal;
  moments.resize(n);
  for (unsigned p = 0; p < n; ++p) moments[p].mean = x0[p];
  std::vector<double> correction(n, 0.0);
  std::vector<unsigned> positionOf(n);
  for (unsigned p = 0; p < n; ++p) positionOf[mean.columnOrder()[p]] = p;
  std::vector<double> unit(n);
  for (unsigned k = 0; k < n; ++k) {
    // Column k of A0^-1, by position.
    std::fill(unit.begin(), unit.end(), 0.0);
    unit[k] = 1.0;
    replaySteps(unit, mean.steps());
    for (unsigned p = 0; p < n; ++p) {
      const double square = unit[p] * unit[p];
      const double term = square * equation[k];
      moments[p].variance = moments[p].variance + term;
    }
    // sum_l (A0^-1)_lk var(A_kl) x0_l, then its share of every unknown.
    double inner = 0.0;
    for (unsigned l = 0; l < n; ++l) {
      const double v = matrix[std::size_t{k} * n + l].variance;
      const double scaled = unit[positionOf[l]] * v;
      const double term = scaled * byUnknown[l];
      inner = inner + term;
    }
    for (unsigned p = 0; p < n; ++p) {
      const double term = unit[p] * inner;
      correction[p] = correction[p] + term;
    }
  }
  result.secondOrderMean.resize(n);
  for (unsigned p = 0; p < n; ++p) {
    result.secondOrderMean[p] = x0[p] + correction[p];
  }
  return result;
}

}  // namespace linprob
