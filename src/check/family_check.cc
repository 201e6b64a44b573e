#include "check/family_check.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <utility>

#include "distributions/family_box.h"
#include "distributions/point_kinds.h"
#include "check/band_check.h"
#include "check/check_replay.h"
#include "linear/step_replay.h"

namespace linprob {
namespace {

// The least propagated variance a phase of this run keeps to about
// six digits: the smallest normal double, or, for a phase of N jobs,
// N 2^-1054 when that is larger. Each of the counting pass's N terms
// w (x - r)^2 that underflows is off by at most 2^-1074, so N of them stay
// below 2^-20 of a variance of N 2^-1054.
double leastVariance(std::uint64_t phaseJobs) {
  const auto jobs = static_cast<double>(phaseJobs);
  return std::max(std::numeric_limits<double>::min(),
                  std::ldexp(jobs, -1054));
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

}  // namespace

FamilyInputs prepareFamily(const FamilyInfo& family,
                           const std::vector<double>& numbers,
                           std::shared_ptr<const CorrelationFactor> correlation,
                           const std::string& folder, int system,
                           const RunConfig& config,
                           std::optional<std::uint64_t> runSeed,
                           std::vector<std::string>& problems) {
  FamilyInputs prepared;
  prepared.info = &family;
  prepared.config = &config;
  prepared.system = system;
  prepared.runSeed = runSeed;
  prepared.correlation = correlation;
  prepared.file = folder + parameterFileOf(family);
  const unsigned n = config.settings().Dimensions;
  EntryParameters entries = entryParameters(family, numbers, n);
  const bool lines = kindInfo(family.parameterKind).layout == EntryLayout::kLine;
  const std::string head = prepared.file + ": " + family.name + " family, " +
                           (lines ? "row " : "pair ");
  auto refuse = [&](unsigned entry, const char* what) {
    problems.push_back(head + std::to_string(entry) + ": " + what);
    prepared.reported = true;
  };

  SourceRequest request = requestFor(config, family, entries);
  request.correlation = std::move(correlation);
  // A family that fixes its own cells has its own count of jobs.
  const PhaseJobs jobs = request.count == config.phaseCount()
                             ? config.phaseJobs()
                             : phaseJobsOf(request.kind, n, request.count);
  if (!drawsSamples(request.kind) && request.count > 1 && n > 0 &&
      jobs.jobs == std::numeric_limits<std::uint64_t>::max()) {
    problems.push_back(prepared.file + ": " + family.name + " family: " +
                       std::to_string(request.count) +
                       " values per entry to the power Dimensions " +
                       std::to_string(n) +
                       " is too many jobs to count in 64 bits");
    prepared.reported = true;
    return prepared;
  }
  prepared.leastVariance = leastVariance(jobs.jobs);
  FamilyBox box;
  try {
    box = phaseBox(request);
  } catch (const std::exception&) {
    // The normal density refuses a deviation that is not finite.
    box.faultyEntry = 0;
  }
  if (box.faultyEntry) {
    refuse(*box.faultyEntry, pointKindRow(request.kind).unsoundBox);
    return prepared;
  }
  for (unsigned e = 0; e < n; ++e) {
    const NormalParameters moments = family.moments(entries.entry(e));
    if (!std::isfinite(moments.mean) || !std::isfinite(moments.variance)) {
      refuse(e, "the variance is not finite");
      return prepared;
    }
    prepared.moments.push_back(moments);
    prepared.box.push_back(Interval(box.lower[e], box.upper[e]));
  }
  prepared.entries = std::move(entries);
  return prepared;
}

std::optional<std::string> checkFamily(const FamilyInputs& family,
                                       const LinearSystem& system,
                                       const PivotMode& mode,
                                       const std::stop_token& stop) {
  const std::string head =
      family.file + ": " + family.info->name + " family, unknown ";
  auto problem = [&](std::size_t k, const char* what) {
    return head + std::to_string(system.columnOrder()[k]) + ": " + what +
           underMode(mode);
  };
  std::vector<Interval> box = family.box;
  const Replay boxReplay = replayed(box, system.steps(), stop);
  if (boxReplay == Replay::kStopped) return std::nullopt;
  for (std::size_t k = 0; k < box.size(); ++k) {
    if (boxReplay == Replay::kRefused || !bothEndsFinite(box[k])) {
      return problem(k, "the solutions overflow");
    }
    // Band widths come from max - min; that difference must exist too.
    if (!std::isfinite(box[k].upper() - box[k].lower())) {
      return problem(k, "the range of the solutions overflows");
    }
  }
  std::vector<NormalParameters> moments = family.moments;
  if (replayed(moments, system.steps(), stop) == Replay::kStopped) {
    return std::nullopt;
  }
  for (std::size_t k = 0; k < moments.size(); ++k) {
    if (!std::isfinite(moments[k].mean) ||
        !std::isfinite(moments[k].variance)) {
      return problem(k, "the propagated mean or variance overflows");
    }
  }
  if (const auto k = underflowingVariance(family, moments, system)) {
    return problem(*k, "the propagated variance underflows");
  }
  // The counting pass sums squared distances of values within the range
  // (solve/band_counter.h), weighted by at most 1 in all.
  for (std::size_t k = 0; k < box.size(); ++k) {
    const double range = box[k].upper() - box[k].lower();
    if (!(range * range * (1.0 + 0x1p-20) <
          std::numeric_limits<double>::max())) {
      return problem(k, "the square of the range of the solutions overflows");
    }
  }
  return collapsingBands(family, box, system, mode, stop);
}

}  // namespace linprob
