// Solving a right-hand side by replaying the recorded elimination steps, in
// place, for plain numbers, intervals, means-and-variances and blocks of
// right-hand sides.
//
// One replay, replayOn, walks the step list for every element type: a row
// combination computes value * element[first] + element[second] with the
// product rounded before the sum; an exchange swaps two elements only for a
// row exchange (value 1.0; a column exchange only reorders the unknowns,
// which columnOrder records); a scaling divides by the pivot (the
// NormalParameters form multiplies by 1.0 / pivot). An invalid step kind
// prints "ERROR! INVALID STEP TYPE!" (from reportInvalidStep, the one place)
// and the replay goes on. The element order is never changed by
// columnOrder: position k holds unknown columnOrder[k].
//
// The step list is only read, so any number of threads may replay it at once.
// replayBlock runs for every job of every phase: it allocates nothing.
#ifndef LINPROB_LINEAR_STEP_REPLAY_H_
#define LINPROB_LINEAR_STEP_REPLAY_H_

#include <cstddef>
#include <span>
#include <utility>
#include <vector>

#include "linear/interval.h"
#include "linear/linear_system.h"
#include "linear/normal_parameters.h"

namespace linprob {

// Prints "ERROR! INVALID STEP TYPE!" on standard output.
void reportInvalidStep();

// Replays `steps` on `rows`, which provides
//   combine(source, target, factor): row target += factor * row source
//   swap(a, b):                      exchanges two rows
//   divide(row, pivot):              row /= pivot
template <typename Rows>
void replayOn(Rows& rows, std::span<const step> steps) {
  for (const step& s : steps) {
    switch (s.type) {
      case StepKind::kCombination:
        rows.combine(s.first, s.second, s.value);
        break;
      case StepKind::kExchange:
        if (s.value == kRowExchange) rows.swap(s.first, s.second);
        break;
      case StepKind::kScaling:
        rows.divide(s.first, s.value);
        break;
      default:
        reportInvalidStep();
    }
  }
}

// The arithmetic of one element type. The product is formed and rounded
// first, then added: the operation order fixes every bit of the result.
inline void combineInto(double& target, double source, double factor) {
  const double product = factor * source;
  target = product + target;
}
inline void combineInto(Interval& target, const Interval& source,
                        double factor) {
  const Interval product = factor * source;
  target += product;
}
inline void combineInto(NormalParameters& target,
                        const NormalParameters& source, double factor) {
  const NormalParameters product = source * factor;
  target = target + product;
}
inline void divideByPivot(double& element, double pivot) {
  element = element / pivot;
}
inline void divideByPivot(Interval& element, double pivot) {
  element /= pivot;
}
inline void divideByPivot(NormalParameters& element, double pivot) {
  // The reciprocal is formed first, then both moments are scaled by it.
  const double reciprocal = 1.0 / pivot;
  element = element * reciprocal;
}

// A right-hand side of n elements, one per row.
template <typename Element>
struct VectorRows {
  std::vector<Element>& elements;

  void combine(std::size_t source, std::size_t target, double factor) {
    combineInto(elements[target], elements[source], factor);
  }
  void swap(std::size_t a, std::size_t b) {
    std::swap(elements[a], elements[b]);
  }
  void divide(std::size_t row, double pivot) {
    divideByPivot(elements[row], pivot);
  }
};

template <typename Element>
void replaySteps(std::vector<Element>& rhs, const std::vector<step>& steps) {
  VectorRows<Element> rows{rhs};
  replayOn(rows, steps);
}

// The double replay on `lanes` right-hand sides at once, stored entry-major:
// entry e of right-hand side j is values[e * stride + j]. Every lane gets
// exactly the roundings of replaySteps; the loop over lanes vectorises.
// Consecutive parts of a step list replayed one after the other give the
// replay of the whole list.
void replayBlock(double* values, std::size_t stride, std::size_t lanes,
                 std::span<const step> steps);

}  // namespace linprob

#endif  // LINPROB_LINEAR_STEP_REPLAY_H_
