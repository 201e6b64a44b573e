#include "linear/interval_replay.h"

#include <cfenv>
#include <stdexcept>
#include <utility>

#include "linear/step_replay.h"
#include "linear/upward_rounding.h"

namespace linprob {
namespace {

// Interval elements as negated lower ends and upper ends, under upward
// rounding. Each case follows Interval's own (boost/numeric/interval/
// arith.hpp): the product factor * [l, u] is [down(f l), up(f u)] for
// f > 0, [down(f u), up(f l)] for f < 0 and [0, 0] for f == 0; the sum adds
// lower to lower rounded down and upper to upper rounded up; the quotient
// [l, u] / p is [down(l / p), up(u / p)] for p > 0 and [down(u / p),
// up(l / p)] for p < 0. down(x op y) is -((-x) op' y) rounded up, and each
// product or quotient below is formed from operands whose exact result is
// the one wanted, so it rounds alike.
struct NegatedLowerRows {
  std::vector<double>& negLow;
  std::vector<double>& up;

  void combine(std::size_t source, std::size_t target, double factor) {
    double productNegLow = -0.0;  // -(+0): the product [0, 0]
    double productUp = 0.0;
    if (factor < 0.0) {
      const double magnitude = -factor;
      productNegLow = magnitude * up[source];
      productUp = magnitude * negLow[source];
    } else if (factor != 0.0) {
      productNegLow = factor * negLow[source];
      productUp = factor * up[source];
    }
    negLow[target] = negLow[target] + productNegLow;
    up[target] = up[target] + productUp;
  }
  void swap(std::size_t a, std::size_t b) {
    std::swap(negLow[a], negLow[b]);
    std::swap(up[a], up[b]);
  }
  void divide(std::size_t row, double pivot) {
    if (pivot == 0.0) {
      throw std::runtime_error("boost::interval: empty interval created");
    }
    const double l = negLow[row];
    const double u = up[row];
    if (pivot < 0.0) {
      const double magnitude = -pivot;
      negLow[row] = u / magnitude;
      up[row] = l / magnitude;
    } else {
      negLow[row] = l / pivot;
      up[row] = u / pivot;
    }
  }
};

}  // namespace

void replayIntervals(std::vector<Interval>& rhs, std::span<const step> steps) {
  std::vector<double> negLow(rhs.size());
  std::vector<double> up(rhs.size());
  for (std::size_t k = 0; k < rhs.size(); ++k) {
    negLow[k] = -rhs[k].lower();
    up[k] = rhs[k].upper();
  }
  {
    const UpwardRounding rounding;
    NegatedLowerRows rows{negLow, up};
    replayOn(rows, steps);
  }
  for (std::size_t k = 0; k < rhs.size(); ++k) {
    // Unchecked, as Interval's own operations build their results: a NaN
    // end stays, where the checked constructor would throw.
    rhs[k] = Interval(-negLow[k], up[k], true);
  }
}

}  // namespace linprob
