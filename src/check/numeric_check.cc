#include "check/numeric_check.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <ctime>
#include <exception>
#include <iomanip>
#include <limits>
#include <optional>
#include <span>
#include <thread>
#include <type_traits>
#include <sstream>
#include <utility>

#include "base/thread_group.h"
#include "distributions/family.h"
#include "check/check_replay.h"
#include "check/family_check.h"
#include "linear/condition_number.h"
#include "linear/interval_replay.h"
#include "linear/normal_parameters.h"
#include "linear/pivot_mode.h"
#include "linear/step_replay.h"
#include "linear/system_files.h"
#include "linear/value_bounds.h"

namespace linprob {
namespace {

// The problem of the plain or the interval solution under one mode, if
// any; nothing once `stop` is requested.
std::optional<std::string> checkSolution(const std::vector<Interval>& rhs,
                                         const std::string& file,
                                         const char* what,
                                         const LinearSystem& system,
                                         const PivotMode& mode,
                                         const std::stop_token& stop) {
  std::vector<Interval> solution = rhs;
  const Replay replay = replayed(solution, system.steps(), stop);
  if (replay == Replay::kStopped) return std::nullopt;
  for (std::size_t k = 0; k < solution.size(); ++k) {
    if (replay == Replay::kRefused || !bothEndsFinite(solution[k])) {
      return file + ": unknown " + std::to_string(system.columnOrder()[k]) +
             ": " + what + underMode(mode);
    }
  }
  return std::nullopt;
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

// The system as every mode reads it: the matrix as read and, when their
// files were read, the plain and the interval right-hand side.
struct ModeInputs {
  std::string folder;
  LinearSystem loaded;
  std::optional<std::vector<Interval>> real;
  std::optional<std::vector<Interval>> intervals;
};

ModeInputs modeInputsOf(const ReadInputs& read) {
  const SystemInputs& files = read.files;
  ModeInputs inputs{read.folder, LinearSystem::fromRows(files.n, files.matrix),
                    std::nullopt, std::nullopt};
  if (read.has(SystemFile::kRealRhs)) {
    std::vector<Interval>& real = inputs.real.emplace();
    real.reserve(files.rhs.size());
    for (const double b : files.rhs) real.push_back(Interval(b));
  }
  if (read.has(SystemFile::kIntervalRhs)) {
    std::vector<Interval>& box = inputs.intervals.emplace();
    box.reserve(files.intervalRhs.size());
    for (const ValueBounds& b : files.intervalRhs) {
      box.push_back(Interval(b.lower, b.upper));
    }
  }
  return inputs;
}

// What one pivoting mode shows of a system, each problem worded in full.
struct ModeFindings {
  std::optional<std::string> pivotFault;  // then nothing else was looked at
  double kappa = 0.0;
  std::optional<std::string> matrixOverflow;
  std::optional<std::string> realOverflow;
  std::optional<std::string> intervalOverflow;
  std::vector<std::optional<std::string>> familyProblems;  // by family
  std::optional<LinearSystem> eliminated;  // when asked for and no fault
  double eliminationSeconds = 0.0;  // processor time of its thread
};

// The processor seconds the calling thread has run.
double threadSeconds() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Eliminates the matrix under `mode` and looks at everything the mode
// computes. Reads `inputs` and `families` only, so that the modes may run
// at once; incomplete once `stop` is requested.
ModeFindings checkMode(const ModeInputs& inputs,
                       const std::vector<FamilyInputs>& families,
                       const PivotMode& mode, bool keep,
                       const std::stop_token& stop) {
  ModeFindings found;
  found.familyProblems.resize(families.size());
  const LinearSystem& loaded = inputs.loaded;
  LinearSystem system = loaded;
  const double started = threadSeconds();
  system.eliminate(mode, stop);
  found.eliminationSeconds = threadSeconds() - started;
  if (stop.stop_requested()) return found;
  if (const auto fault = findPivotFault(system)) {
    std::ostringstream message;
    message << inputs.folder << kMatrixFile << ": cannot be eliminated"
            << underMode(mode) << ": zero or non-finite pivot at position "
            << fault->position;
    found.pivotFault = message.str();
    return found;
  }
  found.kappa = conditionNumber(loaded, system, stop);
  if (!matrixFinite(system)) {
    found.matrixOverflow = inputs.folder + kMatrixFile +
                           ": the elimination overflows" + underMode(mode);
  }
  if (inputs.real) {
    found.realOverflow =
        checkSolution(*inputs.real, inputs.folder + kRealRhsFile,
                      "the solution overflows", system, mode, stop);
  }
  if (inputs.intervals) {
    found.intervalOverflow = checkSolution(
        *inputs.intervals, inputs.folder + kIntervalRhsFile,
        "the interval solution overflows", system, mode, stop);
  }
  for (std::size_t f = 0; f < families.size(); ++f) {
    // A family whose parameters were refused has nothing to replay.
    if (families[f].reported) continue;
    found.familyProblems[f] = checkFamily(families[f], system, mode, stop);
  }
  if (keep) found.eliminated.emplace(std::move(system));
  return found;
}

// checkMode for every pivoting mode, in order, on up to one thread per
// mode and hardware thread: each mode is O(n^3) (an elimination and the
// condition estimate), about half a second at 1,000 unknowns. Each thread
// writes its own modes' slots; the threads end before this returns, and
// the first exception one of them threw is thrown here.
std::vector<ModeFindings> findingsOfEveryMode(
    const ModeInputs& inputs, const std::vector<FamilyInputs>& families,
    bool keep, KeptEliminations modes, const std::stop_token& stop) {
  std::vector<ModeFindings> findings(kPivotModes.size());
  std::atomic<std::size_t> next{0};
  const std::size_t threads =
      std::min<std::size_t>(kPivotModes.size(),
                            std::max(1u, std::thread::hardware_concurrency()));
  ThreadGroup group;
  for (std::size_t t = 0; t < threads; ++t) {
    group.start([&](const std::stop_token&) {
      for (std::size_t m = next++; m < kPivotModes.size(); m = next++) {
        findings[m] = checkMode(inputs, families, kPivotModes[m],
                                keep && (modes == KeptEliminations::kEvery || m == 0),
                                stop);
      }
    });
  }
  // Rethrows the first exception a mode threw.
  group.join();
  return findings;
}

}  // namespace

std::optional<double> checkNumerics(const ReadInputs& read,
                                    const RunConfig& config,
                                    InputCheck& check,
                                    const std::stop_token& stop,
                                    ModeEliminations* kept, KeptEliminations modes,
                                    NumericFigures* figures,
                                    std::optional<std::uint64_t> runSeed) {
  if (!read.has(SystemFile::kMatrix)) return std::nullopt;
  const std::string matrixFile = read.folder + kMatrixFile;

  // Overflow problems are gathered apart and follow the condition line.
  std::vector<std::string> overflows;
  std::vector<FamilyInputs> families;
  // The correlation's factor, for the families' correlated jobs.
  std::shared_ptr<const CorrelationFactor> factor;
  if (read.files.correlated()) {
    std::optional<CorrelationFactor> of =
        CorrelationFactor::of(read.files.correlation, read.files.n);
    if (of) factor = std::make_shared<const CorrelationFactor>(std::move(*of));
  }
  for (const FamilyInfo& family : kFamilies) {
    // A family with a random matrix never replays Matice.txt's steps.
    if (read.has(parameterSystemFile(family.parameterKind)) &&
        read.files.runs(family.family) &&
        read.files.randomMatrixOf(family.parameterKind).empty()) {
      families.push_back(prepareFamily(family,
                                       read.files.parametersOf(family.parameterKind),
                                       factor, read.folder, read.files.system,
                                       config, runSeed, overflows));
    }
  }

  std::vector<ModeFindings> findings =
      findingsOfEveryMode(modeInputsOf(read), families, kept != nullptr,
                          modes, stop);
  if (stop.stop_requested()) return std::nullopt;
  const bool everyModePassed =
      std::none_of(findings.begin(), findings.end(),
                   [](const ModeFindings& m) { return m.pivotFault.has_value(); });
  if (kept != nullptr && everyModePassed) {
    for (std::size_t m = 0; m < findings.size(); ++m) {
      (*kept)[m] = std::move(findings[m].eliminated);
    }
  }
  if (figures != nullptr) {
    double seconds = 0.0;
    double least = 0.0;
    bool any = false;
    for (const ModeFindings& mode : findings) {
      seconds += mode.eliminationSeconds;
      if (mode.pivotFault) continue;
      if (!any || mode.kappa < least) least = mode.kappa;
      any = true;
    }
    figures->eliminationSeconds = seconds / static_cast<double>(findings.size());
    figures->condition = any && least >= 1.0 ? least : 1.0;
  }

  // Each problem is reported once, at the first mode that shows it.
  bool anyMode = false;
  double worst = 0.0;
  bool matrixReported = false;
  bool realReported = false;
  bool intervalReported = false;
  for (const ModeFindings& mode : findings) {
    if (mode.pivotFault) {
      check.errors.push_back(*mode.pivotFault);
      continue;
    }
    // A NaN estimate counts as the worst of all.
    if (!anyMode || !(mode.kappa <= worst)) worst = mode.kappa;
    anyMode = true;
    auto report = [&](const std::optional<std::string>& problem,
                      bool& reported) {
      if (problem && !reported) {
        overflows.push_back(*problem);
        reported = true;
      }
    };
    report(mode.matrixOverflow, matrixReported);
    report(mode.realOverflow, realReported);
    report(mode.intervalOverflow, intervalReported);
    for (std::size_t f = 0; f < families.size(); ++f) {
      report(mode.familyProblems[f], families[f].reported);
    }
  }

  if (anyMode && !(worst <= kSingularCondition)) {
    check.errors.push_back(matrixFile + ": condition number " +
                           conditionText(worst) +
                           " is above 1e15: the matrix is numerically "
                           "singular, and no digit of its results could be "
                           "trusted");
  }
  for (std::string& problem : overflows) {
    check.errors.push_back(std::move(problem));
  }
  return anyMode ? std::optional<double>(worst) : std::nullopt;
}

std::optional<std::string> conditionWarning(
    int system, const std::optional<ConditionVerdict>& verdict) {
  if (!verdict || verdict->level != ConditionLevel::kIll) return std::nullopt;
  return systemFolder(system) + kMatrixFile + ": condition number " +
         conditionText(verdict->conditionNumber) + " is above 1e9: " +
         verdict->text;
}

std::vector<std::string> checkedConditionWarnings(
    const std::vector<SystemInputs>& systems, const SystemReference* first) {
  std::vector<std::string> warnings;
  for (const SystemInputs& inputs : systems) {
    const std::optional<ConditionVerdict> verdict =
        first != nullptr && first->system == inputs.system
            ? first->condition
            : conditionVerdict(std::nullopt, inputs.conditionEstimate);
    if (auto warning = conditionWarning(inputs.system, verdict)) {
      warnings.push_back(std::move(*warning));
    }
  }
  return warnings;
}

}  // namespace linprob
