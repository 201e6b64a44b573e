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
// The largest estimate of the four modes is returned: the system's condition
// verdict (results/condition_verdict.h) falls back on it where no certified
// κ∞ is computed. The verdict's warning, for an ill-conditioned system, is
// conditionWarning's line, printed when the system's references are made.
//
// Messages (after the system's folder, e.g. "Matrix0/"):
//   "Matice.txt: cannot be eliminated under pivoting mode 0 (none): zero or
//    non-finite pivot at position 1"
//   "Matice.txt: condition number 1.35e+16 is above 1e15: the matrix is
//    numerically singular, and no digit of its results could be trusted"
//   "Matice.txt: condition number 2e+12 is above 1e9: results may have fewer
//    than 3 correct significant digits"       (warning, conditionWarning)
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
#ifndef LINPROB_CHECK_NUMERIC_CHECK_H_
#define LINPROB_CHECK_NUMERIC_CHECK_H_

#include <bitset>
#include <cstddef>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "distributions/family.h"
#include "check/check_messages.h"
#include "config/mode_eliminations.h"
#include "config/run_config.h"
#include "results/condition_verdict.h"
#include "results/system_reference.h"

namespace linprob {

// What the check measured of a system, for the estimate of the run time
// (calibration.h): the mean processor seconds of its eliminations (one
// per mode, each on its own thread) and the least estimate of its
// condition number over the modes (1 when no mode could be eliminated).
struct NumericFigures {
  double eliminationSeconds = 0.0;
  double condition = 1.0;
};

inline constexpr double kSingularCondition = 1e15;

// The files of a system, for what could be read of them: the matrix, the
// two right-hand sides and, from kParameters on, the parameter files in the
// order of kParameterKinds (parameterSystemFile).
enum class SystemFile {
  kMatrix,
  kRealRhs,
  kIntervalRhs,
  kParameters,
};
inline constexpr std::size_t kSystemFileCount =
    static_cast<std::size_t>(SystemFile::kParameters) + kParameterKindCount;

// The parameter file of a kind of parameters.
constexpr SystemFile parameterSystemFile(ParameterKind kind) {
  return static_cast<SystemFile>(
      static_cast<std::size_t>(SystemFile::kParameters) +
      static_cast<std::size_t>(kind));
}

// What could be read of one system: its numbers, as the run then uses them,
// and which of its files were read and found sound (the parts of a file
// that was not are left empty).
struct ReadInputs {
  std::string folder;  // "Matrix<i>/"
  SystemInputs files;
  std::bitset<kSystemFileCount> read;  // by SystemFile
  ModeEliminations eliminated;  // what the check kept, when asked to

  bool has(SystemFile file) const {
    return read.test(static_cast<std::size_t>(file));
  }
  void mark(SystemFile file) { read.set(static_cast<std::size_t>(file)); }
};

// Adds the system's problems to check.errors and returns the largest
// condition estimate of the modes that could be eliminated (none without
// the matrix, when no mode could, or once `stop` is requested). Checks
// nothing without the matrix. The check takes O(n^3)
// per pivoting mode (about half a second at 1,000 unknowns), the modes on
// up to four threads that end before it returns; the lines and their order
// are those of the modes taken one after the other. `stop` is looked at
// within every elimination, condition estimate and replay, at least every
// millisecond or so, and once it is requested the check returns having
// added nothing more. With `kept`, every mode's elimination (or the first
// mode's, as `modes` says) goes there when the system's matrix passed the
// check under every mode. With `figures`, what it measured goes there.
// `runSeed`: a sampling run's seed, from which the check of its bands
// draws the phases' samples (check/band_check.h). Returns the worst
// condition estimate over the modes, if any mode could be eliminated.
std::optional<double> checkNumerics(
    const ReadInputs& inputs, const RunConfig& config, InputCheck& check,
    const std::stop_token& stop = {}, ModeEliminations* kept = nullptr,
    KeptEliminations modes = KeptEliminations::kEvery, NumericFigures* figures = nullptr,
    std::optional<std::uint64_t> runSeed = std::nullopt);

// The warning line of an ill-conditioned system, "Matrix0/Matice.txt:
// condition number 3.5e+13 is above 1e9: results may have fewer than 2
// correct significant digits" (the verdict's κ∞ and words); none for a
// verdict of another level or none.
std::optional<std::string> conditionWarning(
    int system, const std::optional<ConditionVerdict>& verdict);

// The warnings of a check without a run (--check), in system order: each
// system's verdict from what is known then, the references of `first` (the
// first system's, as the calibration made them) where given, else the
// check's estimate.
std::vector<std::string> checkedConditionWarnings(
    const std::vector<SystemInputs>& systems, const SystemReference* first);

}  // namespace linprob

#endif  // LINPROB_CHECK_NUMERIC_CHECK_H_
