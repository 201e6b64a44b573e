// Equality of doubles that must be bit-identical: the same bits, except that
// any NaN equals any NaN. Which of two NaNs an operation passes on, and so a
// NaN's sign, is the instruction's operand order, which the compiler picks;
// the program never writes a NaN nor counts one by its bits.
#ifndef LINPROB_TESTS_SUPPORT_SAME_BITS_H_
#define LINPROB_TESTS_SUPPORT_SAME_BITS_H_

#include <cmath>
#include <cstdint>
#include <cstring>

namespace linprob {

inline bool sameBits(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  std::uint64_t x = 0;
  std::uint64_t y = 0;
  std::memcpy(&x, &a, sizeof x);
  std::memcpy(&y, &b, sizeof y);
  return x == y;
}

}  // namespace linprob

#endif  // LINPROB_TESTS_SUPPORT_SAME_BITS_H_
