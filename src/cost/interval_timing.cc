#include "cost/interval_timing.h"

#include <cmath>
#include <cstdint>
#include <iomanip>
#include <sstream>

#include "linear/exact_hull.h"

namespace linprob {

double intervalMatrixSeconds(unsigned n) {
  const double cube = static_cast<double>(n) * n * n;
  double seconds = (4.0 * 1.0e-9 + 4.0e-9) * cube;
  if (n <= kMostHullUnknowns) {
    seconds += 0.73 * cube / (12.0 * 12.0 * 12.0) *
               std::ldexp(1.0, static_cast<int>(n) - 12);
  }
  return seconds;
}

std::string intervalMatrixLine(int systems, int of, unsigned n) {
  const double seconds = intervalMatrixSeconds(n);
  std::string hull = "the exact hull over 2^n sign vectors up to " +
                     std::to_string(kMostHullUnknowns) + " unknowns";
  if (n <= kMostHullUnknowns) {
    hull += " (2^" + std::to_string(n) + " = " +
            std::to_string(std::uint64_t{1} << n) + " here)";
  } else {
    hull += " (none here)";
  }
  std::ostringstream text;
  text << "Interval matrix: " << systems << " of " << of
       << " systems (IntMatice.txt): naive elimination under each pivoting "
          "mode, Hansen-Bliek-Rohn, Krawczyk and Gauss-Seidel after "
          "preconditioning, "
       << hull << "; about " << std::setprecision(2) << seconds
       << " s of one thread each";
  return text.str();
}

}  // namespace linprob
