// Four lanes of doubles or of 64-bit words, as the vector types of GCC and
// Clang, and the steps the vectorised loops take on them besides arithmetic:
// unaligned loads and stores, and the same value in every lane. Each is a
// small function inlined into the loops (and their clones,
// linear/vector_clones.h).
#ifndef LINPROB_LINEAR_FOUR_LANES_H_
#define LINPROB_LINEAR_FOUR_LANES_H_

#include <cstdint>
#include <cstring>

namespace linprob {

using FourDoubles = double __attribute__((vector_size(32)));
using FourWords = std::uint64_t __attribute__((vector_size(32)));

// to = from[0 ... 3], from memory of any alignment.
template <class Lanes, class Element>
__attribute__((always_inline)) inline void loadFour(Lanes& to,
                                                    const Element* from) {
  std::memcpy(&to, from, sizeof to);
}

// to[0 ... 3] = from, to memory of any alignment.
template <class Lanes, class Element>
__attribute__((always_inline)) inline void storeFour(Element* to,
                                                     const Lanes& from) {
  std::memcpy(to, &from, sizeof from);
}

// Every lane `value`, a zero's sign included (0.0 + value would turn a
// -0.0 into +0.0, and with it the sign of a zero product).
__attribute__((always_inline)) inline void fillFour(FourDoubles& to,
                                                    double value) {
  to = FourDoubles{value, value, value, value};
}

}  // namespace linprob

#endif  // LINPROB_LINEAR_FOUR_LANES_H_
