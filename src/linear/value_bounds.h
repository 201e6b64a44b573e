// A closed range of doubles [lower, upper], as the references give their
// hulls and enclosures.
#ifndef LINPROB_LINEAR_VALUE_BOUNDS_H_
#define LINPROB_LINEAR_VALUE_BOUNDS_H_

namespace linprob {

struct ValueBounds {
  double lower = 0.0;
  double upper = 0.0;

  bool operator==(const ValueBounds&) const = default;
};

}  // namespace linprob

#endif  // LINPROB_LINEAR_VALUE_BOUNDS_H_
