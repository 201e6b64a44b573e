// Extremes: the smallest and largest solved value of every solution
// position, folded from solved blocks or single values in any order.
//
// Among equal values -0.0 wins the minimum and +0.0 the maximum (lowerThan,
// higherThan), and a NaN never replaces anything, so the result does not
// depend on the order of the values: per-thread Extremes merged in any
// order give the same bits.
#ifndef LINPROB_SOLVE_EXTREMES_H_
#define LINPROB_SOLVE_EXTREMES_H_

#include <vector>

#include "distributions/job_block.h"

namespace linprob {

struct Extremes {
  explicit Extremes(unsigned n);

  // Lanes 0 ... block.count-1 of every position.
  void take(const JobBlock& block);
  void takeMin(unsigned position, double v);
  void takeMax(unsigned position, double v);
  void merge(const Extremes& other);

  std::vector<double> min;  // +inf until a value was taken
  std::vector<double> max;  // -inf until a value was taken
};

}  // namespace linprob

#endif  // LINPROB_SOLVE_EXTREMES_H_
