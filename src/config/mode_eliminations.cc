#include "config/mode_eliminations.h"

#include <bit>
#include <cstdint>

namespace linprob {

double keptEliminationBytes(unsigned n, int systems) {
  const double entries = static_cast<double>(n) * n;
  // n(n-1) combinations, n scalings and up to 2n exchanges; the vector grew
  // by doubling.
  const std::uint64_t steps = std::uint64_t{n} * n + 2 * std::uint64_t{n};
  const double mode = entries * sizeof(double) +
                      static_cast<double>(std::bit_ceil(steps)) * sizeof(step);
  const double bytes = systems * static_cast<double>(kPivotModes.size()) * mode;
  return bytes <= kKeptEliminationBytes ? bytes : 0.0;
}

}  // namespace linprob
