#include "driver/numeric_check.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <iomanip>
#include <limits>
#include <optional>
#include <span>
#include <sstream>
#include <utility>

#include "distributions/job_source_kinds.h"
#include "driver/phase_settings.h"
#include "distributions/family.h"
#include "distributions/family_box.h"
#include "linear/condition_number.h"
#include "linear/normal_parameters.h"
#include "linear/pivot_mode.h"
#include "linear/step_replay.h"
#include "linear/system_files.h"

namespace linprob {
namespace {

std::string underMode(const PivotMode& mode) {
  return " under pivoting mode " + std::to_string(mode.index) + " (" +
         mode.plainName + ")";
}

bool finite(const Interval& x) {
  return std::isfinite(x.lower()) && std::isfinite(x.upper());
}

// How a replay of the check ended.
enum class Replay {
  kDone,
  kRefused,  // the interval library refused a value on the way (it does
             // for some operations on infinities)
  kStopped,  // `stop` was requested
};

// Replays `rhs` through the steps, kStepsPerLook at a time, looking at
// `stop` in between: the check's replays are n^2 steps long, up to seconds
// in interval arithmetic for large n.
template <typename Element>
Replay replayed(std::vector<Element>& rhs, const std::vector<step>& steps,
                const std::stop_token& stop) {
  constexpr std::size_t kStepsPerLook = 4096;
  const std::span<const step> all(steps);
  VectorRows<Element> rows{rhs};
  try {
    for (std::size_t at = 0; at < all.size(); at += kStepsPerLook) {
      if (stop.stop_requested()) return Replay::kStopped;
      replayOn(rows, all.subspan(at, std::min(kStepsPerLook,
                                              all.size() - at)));
    }
    return Replay::kDone;
  } catch (const std::exception&) {
    return Replay::kRefused;
  }
}

// One family's parameters, ready for every mode: its box and its moments,
// or the problem that makes either unusable.
struct FamilyInputs {
  const FamilyInfo* info = nullptr;
  std::string file;         // "Matrix0/UniformRHS.txt"
  std::vector<Interval> box;
  std::vector<NormalParameters> moments;
  double leastVariance = 0.0;  // see leastVariance()
  bool reported = false;    // a line was written; nothing more about it
};

// The least propagated variance a phase of these settings keeps to about
// six digits: the smallest normal double, or, for a phase of N jobs,
// N 2^-1054 when that is larger. Each of the counting pass's N terms
// w (x - r)^2 that underflows is off by at most 2^-1074, so N of them stay
// below 2^-20 of a variance of N 2^-1054.
double leastVariance(const RunSettings& settings) {
  const auto jobs = static_cast<double>(jobsPerPhaseFor(settings));
  return std::max(std::numeric_limits<double>::min(),
                  std::ldexp(jobs, -1054));
}

FamilyInputs prepareFamily(const FamilyInfo& family,
                           const std::vector<double>& pairs,
                           const ReadInputs& inputs,
                           const RunSettings& settings,
                           std::vector<std::string>& problems) {
  FamilyInputs prepared;
  prepared.info = &family;
  prepared.leastVariance = leastVariance(settings);
  prepared.file = inputs.folder + family.parameterFile;
  const unsigned n = settings.Dimensions;
  std::vector<double> first(n);
  std::vector<double> second(n);
  for (unsigned e = 0; e < n; ++e) {
    first[e] = pairs[2 * std::size_t{e}];
    second[e] = pairs[2 * std::size_t{e} + 1];
  }
  const std::string head =
      prepared.file + ": " + family.name + " family, pair ";
  auto refuse = [&](unsigned entry, const char* what) {
    problems.push_back(head + std::to_string(entry) + ": " + what);
    prepared.reported = true;
  };

  FamilyBox box;
  const JobSourceKind kind = sourceKindFor(settings);
  try {
    SourceRequest request;
    request.family = &family;
    request.n = n;
    request.pairs = ParameterPairs{first, second};
    request.count = phaseCountFor(settings);
    box = makeJobSource(kind, request)->box();
  } catch (const std::exception&) {
    // The normal density refuses a deviation that is not finite.
    box.faultyEntry = 0;
  }
  if (box.faultyEntry) {
    refuse(*box.faultyEntry, jobSourceRow(kind).unsoundBox);
    return prepared;
  }
  for (unsigned e = 0; e < n; ++e) {
    const NormalParameters moments = family.moments(first[e], second[e]);
    if (!std::isfinite(moments.mean) || !std::isfinite(moments.variance)) {
      refuse(e, "the variance is not finite");
      return prepared;
    }
    prepared.moments.push_back(moments);
    prepared.box.push_back(Interval(box.lower[e], box.upper[e]));
  }
  return prepared;
}

// The variances alone replayed in long double (64-bit significand, exponent
// down to about 1e-4951), where no product of a few double coefficients
// underflows: a variance that is zero there depends on no entry with a
// variance above zero.
struct WideVariances {
  std::vector<long double> variance;

  void combine(std::size_t source, std::size_t target, double factor) {
    const long double f = factor;
    long double product = variance[source] * f;
    product = product * f;
    variance[target] = variance[target] + product;
  }
  void swap(std::size_t a, std::size_t b) {
    std::swap(variance[a], variance[b]);
  }
  void divide(std::size_t row, double pivot) {
    const long double reciprocal = 1.0L / pivot;
    const long double once = variance[row] * reciprocal;
    variance[row] = once * reciprocal;
  }
};

// The first position whose propagated variance is above zero in exact terms
// (the wide replay's) but below family.leastVariance in the replay the run
// makes, or in the wide one: its standard deviation, and the counting pass's
// sums of squares, would lose digits or vanish.
std::optional<std::size_t> underflowingVariance(
    const FamilyInputs& family, const std::vector<NormalParameters>& moments,
    const LinearSystem& system) {
  WideVariances wide;
  for (const NormalParameters& entry : family.moments) {
    wide.variance.push_back(entry.variance);
  }
  replayOn(wide, system.steps());
  for (std::size_t k = 0; k < moments.size(); ++k) {
    const long double exact = wide.variance[k];
    if (exact > 0.0L && (moments[k].variance < family.leastVariance ||
                         exact < family.leastVariance)) {
      return k;
    }
  }
  return std::nullopt;
}

// The overflow and underflow checks of one family under one eliminated
// mode; nothing once `stop` is requested.
void checkFamily(FamilyInputs& family, const LinearSystem& system,
                 const PivotMode& mode, std::vector<std::string>& problems,
                 const std::stop_token& stop) {
  if (family.reported) return;
  const std::string head =
      family.file + ": " + family.info->name + " family, unknown ";
  auto refuse = [&](std::size_t k, const char* what) {
    problems.push_back(head + std::to_string(system.columnOrder()[k]) + ": " +
                       what + underMode(mode));
    family.reported = true;
  };
  std::vector<Interval> box = family.box;
  const Replay boxReplay = replayed(box, system.steps(), stop);
  if (boxReplay == Replay::kStopped) return;
  for (std::size_t k = 0; k < box.size(); ++k) {
    if (boxReplay == Replay::kRefused || !finite(box[k])) {
      return refuse(k, "the solutions overflow");
    }
    // Band widths come from max - min; that difference must exist too.
    if (!std::isfinite(box[k].upper() - box[k].lower())) {
      return refuse(k, "the range of the solutions overflows");
    }
  }
  std::vector<NormalParameters> moments = family.moments;
  if (replayed(moments, system.steps(), stop) == Replay::kStopped) return;
  for (std::size_t k = 0; k < moments.size(); ++k) {
    if (!std::isfinite(moments[k].mean) ||
        !std::isfinite(moments[k].variance)) {
      return refuse(k, "the propagated mean or variance overflows");
    }
  }
  if (const auto k = underflowingVariance(family, moments, system)) {
    return refuse(*k, "the propagated variance underflows");
  }
}

// The plain or the interval solution under one mode; true when a line was
// written (never once `stop` is requested).
bool checkSolution(const std::vector<Interval>& rhs, const std::string& file,
                   const char* what, const LinearSystem& system,
                   const PivotMode& mode, std::vector<std::string>& problems,
                   const std::stop_token& stop) {
  std::vector<Interval> solution = rhs;
  const Replay replay = replayed(solution, system.steps(), stop);
  if (replay == Replay::kStopped) return false;
  for (std::size_t k = 0; k < solution.size(); ++k) {
    if (replay == Replay::kRefused || !finite(solution[k])) {
      problems.push_back(file + ": unknown " +
                         std::to_string(system.columnOrder()[k]) + ": " + what +
                         underMode(mode));
      return true;
    }
  }
  return false;
}

bool matrixFinite(const LinearSystem& system) {
  for (const std::vector<double>& column : system.matrix()) {
    for (const double a : column) {
      if (!std::isfinite(a)) return false;
    }
  }
  return true;
}

std::string conditionText(double kappa) {
  std::ostringstream text;
  text << std::setprecision(3) << kappa;
  return text.str();
}

}  // namespace

void checkNumerics(const ReadInputs& inputs, const RunSettings& settings,
                   InputCheck& check, const std::stop_token& stop) {
  if (!inputs.matrix) return;
  const LinearSystem& loaded = *inputs.matrix;
  const std::string matrixFile = inputs.folder + kMatrixFile;

  // Overflow problems are gathered apart and follow the condition line.
  std::vector<std::string> overflows;
  std::vector<FamilyInputs> families;
  for (const FamilyInfo& family : kFamilies) {
    const auto& pairs =
        inputs.pairs[static_cast<std::size_t>(family.parameterKind)];
    if (pairs) {
      families.push_back(
          prepareFamily(family, *pairs, inputs, settings, overflows));
    }
  }

  bool anyMode = false;
  double worst = 0.0;
  bool matrixReported = false;
  bool realReported = false;
  bool intervalReported = false;
  for (const PivotMode& mode : kPivotModes) {
    LinearSystem system = loaded;
    system.eliminate(mode, stop);
    if (stop.stop_requested()) return;
    if (const auto fault = findPivotFault(system)) {
      std::ostringstream message;
      message << matrixFile << ": cannot be eliminated" << underMode(mode)
              << ": zero or non-finite pivot at position " << fault->position;
      check.errors.push_back(message.str());
      continue;
    }
    const double kappa = conditionNumber(loaded, system, stop);
    if (stop.stop_requested()) return;
    // A NaN estimate counts as the worst of all.
    if (!anyMode || !(kappa <= worst)) worst = kappa;
    anyMode = true;

    if (!matrixReported && !matrixFinite(system)) {
      overflows.push_back(matrixFile + ": the elimination overflows" +
                          underMode(mode));
      matrixReported = true;
    }
    if (inputs.real && !realReported) {
      realReported = checkSolution(*inputs.real, inputs.folder + kRealRhsFile,
                                   "the solution overflows", system, mode,
                                   overflows, stop);
    }
    if (inputs.intervals && !intervalReported) {
      intervalReported = checkSolution(
          *inputs.intervals, inputs.folder + kIntervalRhsFile,
          "the interval solution overflows", system, mode, overflows, stop);
    }
    for (FamilyInputs& family : families) {
      checkFamily(family, system, mode, overflows, stop);
    }
  }
  if (stop.stop_requested()) return;

  if (anyMode && !(worst <= kSingularCondition)) {
    check.errors.push_back(matrixFile + ": condition number " +
                           conditionText(worst) +
                           " is above 1e15: the matrix is numerically "
                           "singular, and no digit of its results could be "
                           "trusted");
  } else if (anyMode && worst > kIllCondition) {
    check.warnings.push_back(matrixFile + ": condition number " +
                             conditionText(worst) +
                             " is above 1e9: results may have fewer than 6 "
                             "correct significant digits");
  }
  for (std::string& problem : overflows) {
    check.errors.push_back(std::move(problem));
  }
}

}  // namespace linprob
