// Random dense systems for the tests of the certified and exact references:
// entries sign * m * 10^e with m uniform in [1, 10) (full 53-bit mantissas)
// and e uniform over `decades`, and, for a target condition number kappa
// above 1, the last row replaced by a random combination of the others plus
// a perturbation of relative size 1 / kappa, which makes kappa about that
// large. Fixed seeds: the same arguments give the same system.
#ifndef LINPROB_TESTS_SUPPORT_RANDOM_SYSTEMS_H_
#define LINPROB_TESTS_SUPPORT_RANDOM_SYSTEMS_H_

#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

#include "linear/value_bounds.h"

namespace linprob::testing {

struct RandomSystem {
  unsigned n = 0;
  std::vector<double> matrix;  // row-major
  std::vector<double> rhs;
  std::vector<ValueBounds> intervalRhs;
};

inline RandomSystem randomSystem(unsigned n, double kappa, double decades,
                                 unsigned seed) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  std::uniform_real_distribution<double> exponent(-decades / 2.0,
                                                  decades / 2.0);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  const auto draw = [&] {
    const double sign = (random() & 1) != 0 ? -1.0 : 1.0;
    return sign * mantissa(random) * std::pow(10.0, std::floor(exponent(random)));
  };
  RandomSystem system;
  system.n = n;
  system.matrix.resize(static_cast<std::size_t>(n) * n);
  for (double& entry : system.matrix) entry = draw();
  if (kappa > 1.0 && n > 1) {
    const std::size_t last = static_cast<std::size_t>(n - 1) * n;
    std::vector<double> weights(n - 1);
    for (double& w : weights) w = unit(random);
    for (unsigned c = 0; c < n; ++c) {
      double sum = 0.0;
      double size = 0.0;
      for (unsigned r = 0; r + 1 < n; ++r) {
        sum += weights[r] * system.matrix[std::size_t{r} * n + c];
        size += std::fabs(system.matrix[std::size_t{r} * n + c]);
      }
      system.matrix[last + c] = sum + unit(random) * size / kappa;
    }
  }
  for (unsigned j = 0; j < n; ++j) {
    const double b = draw();
    system.rhs.push_back(b);
    const double spread = std::fabs(b) * 0.01 * (1.0 + unit(random));
    system.intervalRhs.push_back({b - spread, b + 0.5 * spread});
  }
  return system;
}

}  // namespace linprob::testing

#endif  // LINPROB_TESTS_SUPPORT_RANDOM_SYSTEMS_H_
