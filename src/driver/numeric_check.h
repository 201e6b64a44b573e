// The numerical admissibility of one system, decided before the run under
// each of the four pivoting modes, so that the run never prints a confident
// answer it cannot stand behind.
//
// Refused (one error line each, naming the file):
// - a zero or non-finite pivot under any mode;
// - a condition number above kSingularCondition, the largest estimate of
//   the four modes (linear/condition_number.h): the matrix is numerically
//   singular and no digit of its results could be trusted;
// - anything that would not be finite: the eliminated matrix; the plain and
//   the interval solution; for each family its cells (enumeration) or its
//   sampling range, its moments, the solutions of the box that holds every
//   job (replayed in interval arithmetic, outward rounded, so it holds
//   every solved value of the phase) and the width of their range, and the
//   means and variances propagated through the steps. Each file and family
//   is reported once, at the first mode and unknown that fail;
// - a propagated variance that underflows: above zero in exact terms (some
//   entry it depends on has a variance) but, as the run computes it, below
//   the smallest normal double (2.2e-308), or below N 2^-1054 for phases of
//   N jobs when that is larger: its standard deviation, INVALID and the
//   moments of the solved values would lose their digits or be zero.
// A condition number above kIllCondition is one warning line per system.
//
// Messages (after the system's folder, e.g. "Matrix0/"):
//   "Matice.txt: cannot be eliminated under pivoting mode 0 (none): zero or
//    non-finite pivot at position 1"
//   "Matice.txt: condition number 1.35e+16 is above 1e15: the matrix is
//    numerically singular, and no digit of its results could be trusted"
//   "Matice.txt: condition number 2e+12 is above 1e9: results may have fewer
//    than 6 correct significant digits"                          (warning)
//   "Matice.txt: the elimination overflows under pivoting mode 1 (row)"
//   "RealRHS.txt: unknown 1: the solution overflows under pivoting mode 0
//    (none)"
//   "IntRHS.txt: unknown 1: the interval solution overflows under ..."
//   "UniformRHS.txt: Triangular family, pair 0: the cells are not finite"
//   "NormalRHS.txt: Normal family, pair 0: the sampling range is not finite"
//   "UniformRHS.txt: Uniform family, pair 0: the variance is not finite"
//   "UniformRHS.txt: Triangular family, unknown 1: the solutions overflow
//    under pivoting mode 0 (none)"
//   "... unknown 1: the range of the solutions overflows under ..."
//   "NormalRHS.txt: Normal family, unknown 1: the propagated mean or
//    variance overflows under pivoting mode 0 (none)"
//   "UniformRHS.txt: Uniform family, unknown 0: the propagated variance
//    underflows under pivoting mode 0 (none)"
#ifndef LINPROB_DRIVER_NUMERIC_CHECK_H_
#define LINPROB_DRIVER_NUMERIC_CHECK_H_

#include <array>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "distributions/family.h"
#include "driver/input_check.h"
#include "driver/settings.h"
#include "linear/interval.h"
#include "linear/linear_system.h"

namespace linprob {

inline constexpr double kSingularCondition = 1e15;
inline constexpr double kIllCondition = 1e9;

// What could be read of one system; a file that could not is left out.
struct ReadInputs {
  std::string folder;                            // "Matrix<i>/"
  std::optional<LinearSystem> matrix;            // as read
  std::optional<std::vector<Interval>> real;     // RealRHS.txt
  std::optional<std::vector<Interval>> intervals;  // IntRHS.txt
  // The numbers of each parameter file, by ParameterKind: mean, variance,
  // ... or lower, upper, ...
  std::array<std::optional<std::vector<double>>, kParameterKindCount> pairs;
};

// Adds the system's problems to check.errors and its warning to
// check.warnings. Checks nothing without the matrix. The check takes O(n^3)
// per pivoting mode (about half a second at 1,000 unknowns), the modes on
// up to four threads that end before it returns; the lines and their order
// are those of the modes taken one after the other. `stop` is looked at
// within every elimination, condition estimate and replay, at least every
// millisecond or so, and once it is requested the check returns having
// added nothing more.
void checkNumerics(const ReadInputs& inputs, const RunSettings& settings,
                   InputCheck& check, const std::stop_token& stop = {});

}  // namespace linprob

#endif  // LINPROB_DRIVER_NUMERIC_CHECK_H_
