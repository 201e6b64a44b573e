#include "linear/step_replay.h"

#include "base/console.h"
#include "linear/vector_clones.h"

namespace linprob {
namespace {

// Rows of `lanes` right-hand sides each, one row every `stride` values.
struct BlockRows {
  double* values;
  std::size_t stride;
  std::size_t lanes;

  double* row(std::size_t r) const { return values + r * stride; }

  void combine(std::size_t source, std::size_t target, double factor) {
    const double* from = row(source);
    double* to = row(target);
    for (std::size_t j = 0; j < lanes; ++j) combineInto(to[j], from[j], factor);
  }
  void swap(std::size_t a, std::size_t b) {
    double* x = row(a);
    double* y = row(b);
    for (std::size_t j = 0; j < lanes; ++j) std::swap(x[j], y[j]);
  }
  void divide(std::size_t r, double pivot) {
    double* to = row(r);
    for (std::size_t j = 0; j < lanes; ++j) divideByPivot(to[j], pivot);
  }
};

}  // namespace

void reportInvalidStep() { printLine("ERROR! INVALID STEP TYPE!"); }

// flatten: the walk over the steps and its loops are compiled into each
// clone, so that the AVX2 clone runs AVX2 loops (an out-of-line replayOn
// would be compiled once, for the baseline target).
LINPROB_VECTOR_CLONES __attribute__((flatten))
void replayBlock(double* values, std::size_t stride, std::size_t lanes,
                 std::span<const step> steps) {
  BlockRows rows{values, stride, lanes};
  replayOn(rows, steps);
}

}  // namespace linprob
