// Outward-rounded interval arithmetic in one rounding mode: while an
// UpwardRounding lives, every double operation of its thread rounds upward,
// and an interval is held as its negated lower end and its upper end
// (RoundedUp), so that both ends round outward: the lower end of x op y
// is -((-x) op' y) rounded up, which is (x op y) rounded down. Each
// function below forms its products and quotients from operands whose
// exact result is the end wanted. The build's -frounding-math keeps the
// compiler from folding or reordering them under the nearest mode.
//
// Ends that overflow become infinite; a product 0 * inf gives NaN, which
// the callers look for once at the end (an enclosure with a NaN or an
// infinite end is not given).
#ifndef LINPROB_LINEAR_UPWARD_ROUNDING_H_
#define LINPROB_LINEAR_UPWARD_ROUNDING_H_

#include <algorithm>
#include <cfenv>

#include "linear/value_bounds.h"

namespace linprob {

// Rounds upward while it lives, then restores the mode it found.
class UpwardRounding {
 public:
  UpwardRounding() : saved_(std::fegetround()) { std::fesetround(FE_UPWARD); }
  ~UpwardRounding() { std::fesetround(saved_); }
  UpwardRounding(const UpwardRounding&) = delete;
  UpwardRounding& operator=(const UpwardRounding&) = delete;

 private:
  int saved_;
};

// [-negLow, up]; only under an UpwardRounding.
struct RoundedUp {
  double negLow = -0.0;
  double up = 0.0;

  static RoundedUp of(const ValueBounds& bounds) {
    return RoundedUp{-bounds.lower, bounds.upper};
  }
  static RoundedUp point(double value) { return RoundedUp{-value, value}; }
  ValueBounds bounds() const { return ValueBounds{-negLow, up}; }
  bool holdsZero() const { return negLow >= 0.0 && up >= 0.0; }
  // The largest magnitude of the interval, rounded up (exact: no operation).
  double magnitude() const { return std::max(negLow, up); }
  // The smallest magnitude, 0 when it holds zero.
  double mignitude() const {
    if (holdsZero()) return 0.0;
    return up < 0.0 ? -up : -negLow;
  }
};

inline RoundedUp operator+(RoundedUp a, RoundedUp b) {
  return RoundedUp{a.negLow + b.negLow, a.up + b.up};
}

inline RoundedUp operator-(RoundedUp a, RoundedUp b) {
  return RoundedUp{a.negLow + b.up, a.up + b.negLow};
}

inline RoundedUp operator*(RoundedUp a, RoundedUp b) {
  const double al = -a.negLow;
  const double au = a.up;
  const double bl = -b.negLow;
  const double bu = b.up;
  const double up = std::max(std::max(al * bl, al * bu), std::max(au * bl, au * bu));
  const double nal = a.negLow;
  const double nau = -au;
  const double negLow =
      std::max(std::max(nal * bl, nal * bu), std::max(nau * bl, nau * bu));
  return RoundedUp{negLow, up};
}

// A point times an interval.
inline RoundedUp operator*(double c, RoundedUp a) {
  if (c >= 0.0) return RoundedUp{c * a.negLow, c * a.up};
  const double m = -c;
  return RoundedUp{m * a.up, m * a.negLow};
}

// b must not hold zero.
inline RoundedUp operator/(RoundedUp a, RoundedUp b) {
  const double al = -a.negLow;
  const double au = a.up;
  const double bl = -b.negLow;
  const double bu = b.up;
  const double up = std::max(std::max(al / bl, al / bu), std::max(au / bl, au / bu));
  const double nal = a.negLow;
  const double nau = -au;
  const double negLow =
      std::max(std::max(nal / bl, nal / bu), std::max(nau / bl, nau / bu));
  return RoundedUp{negLow, up};
}

// The intersection, when it is not empty.
inline bool intersect(RoundedUp& a, RoundedUp b) {
  a.negLow = std::min(a.negLow, b.negLow);
  a.up = std::min(a.up, b.up);
  return -a.negLow <= a.up;
}

}  // namespace linprob

#endif  // LINPROB_LINEAR_UPWARD_ROUNDING_H_
