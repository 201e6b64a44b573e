#include "check/band_check.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <sstream>
#include <string>

#include "distributions/job_block.h"
#include "distributions/point_kinds.h"
#include "distributions/phase_seed.h"
#include "distributions/sampling_source.h"
#include "linear/step_replay.h"
#include "output/number_text.h"
#include "solve/band_table.h"
#include "solve/phase_solver.h"

namespace linprob {

std::string collapseMessage(const FamilyInfo& family, unsigned unknown,
                            const BandsCollapse& collapse,
                            int histogramPrecision) {
  std::ostringstream text;
  text << family.name << " family, unknown " << unknown << ": the band width "
       << numberText(collapse.step) << " (HistogramPrecision "
       << histogramPrecision
       << ") is below the resolution of the values from Min "
       << numberText(collapse.min) << " to Max " << numberText(collapse.max)
       << ": the bands would collapse";
  return text.str();
}

namespace {

// Probes of a phase: its own jobs, at most this many.
constexpr std::size_t kProbes = 8;

// The phase's jobs as the run makes them (the first round's design with
// --digits), with at most `count` of them when `count` is given and the
// points are random (the first samples are the same whatever the count).
std::unique_ptr<JobSource> phaseJobs(const FamilyInputs& family,
                                     const PivotMode& mode,
                                     std::optional<int> count = std::nullopt) {
  const RunSettings& settings = family.config->settings();
  SourceRequest request =
      requestFor(*family.config, *family.info, family.entries,
                 phaseSeed(family.runSeed.value_or(0), family.system, mode,
                           family.info->family));
  request.correlation = family.correlation;
  if (!drawsSamples(request.kind)) return makeJobSource(request);
  if (count && pointKindRow(request.kind).replicates == Replicates::kOne) {
    request.count = std::min(request.count, *count);
  }
  if (settings.digits) {
    return makeDesignSource(
        request, digitsRounds(request.kind, settings.SampleCount).front());
  }
  return makeJobSource(request);
}

// Each position's smallest and largest value over a few of the phase's
// jobs: in enumeration the lowest and the highest cell of every entry and
// mixtures of the two, in sampling its first samples.
struct Probes {
  std::vector<double> least;
  std::vector<double> most;
};

Probes probe(const FamilyInputs& family, const LinearSystem& system,
             const PivotMode& mode) {
  const unsigned n = system.size();
  JobBlock block(n);
  std::size_t lanes = kProbes;
  if (!drawsSamples(family.config->points()) && !family.correlation) {
    // Lane 0 takes every entry's lowest cell, lane 1 its highest, the
    // others one or the other by a fixed mixture.
    for (unsigned e = 0; e < n; ++e) {
      for (std::size_t j = 0; j < lanes; ++j) {
        const std::uint64_t mix = (e + 1) * 0x9e3779b97f4a7c15ULL >> (j + 7);
        const bool high = j == 1 || (j > 1 && (mix & 1) != 0);
        block.entry(e)[j] =
            high ? family.box[e].upper() : family.box[e].lower();
      }
    }
  } else {
    const auto jobs = phaseJobs(family, mode, static_cast<int>(kProbes));
    jobs->fill(0, 0, block);
    lanes = std::min<std::size_t>(lanes, block.count);
  }
  replayBlock(block.values.data(), kBlockJobs, lanes, system.steps());
  Probes probes{std::vector<double>(n, HUGE_VAL),
                std::vector<double>(n, -HUGE_VAL)};
  for (unsigned k = 0; k < n; ++k) {
    for (std::size_t j = 0; j < lanes; ++j) {
      const double v = block.entry(k)[j];
      probes.least[k] = std::min(probes.least[k], v);
      probes.most[k] = std::max(probes.most[k], v);
    }
  }
  return probes;
}

// Whether the bands of a position whose values lie in [lower, upper] and
// whose Min and Max are at least `least` apart surely reach Max (see
// band_check.h).
bool bandsHold(double lower, double upper, double least, int bands) {
  if (lower == upper) return true;
  const double h = static_cast<double>(std::max(bands, 1));
  const double widest = (upper - lower) / h * (1.0 + 0x1p-50);
  const double largest = std::max(std::fabs(lower), std::fabs(upper)) + widest;
  const double half =
      (std::nextafter(largest, HUGE_VAL) - largest) * 0.5 * (1.0 + 0x1p-50);
  const double apart = least * (1.0 - 0x1p-50);
  return std::isfinite(half) && apart >= 2.0 * h * (h + 1.0) * half;
}

}  // namespace

std::optional<std::string> collapsingBands(const FamilyInputs& family,
                                           const std::vector<Interval>& box,
                                           const LinearSystem& system,
                                           const PivotMode& mode,
                                           const std::stop_token& stop) {
  const RunConfig& config = *family.config;
  const RunSettings& settings = config.settings();
  const unsigned n = system.size();
  if (n == 0 || config.jobsPerPhase() == 0) return std::nullopt;
  const Probes probes = probe(family, system, mode);
  bool decided = true;
  for (unsigned k = 0; k < n && decided; ++k) {
    decided = bandsHold(box[k].lower(), box[k].upper(),
                        probes.most[k] - probes.least[k],
                        settings.HistogramPrecision);
  }
  if (decided || stop.stop_requested()) return std::nullopt;

  // The phase's own first pass decides.
  const auto jobs = phaseJobs(family, mode);
  SolveOptions options = config.solveOptions();
  options.solverThreads = 1;
  options.stop = stop;
  const double squares = static_cast<double>(n) * n;
  const auto most = static_cast<std::uint64_t>(
      std::max(kMostCheckedReplays / squares, 1.0));
  std::optional<Extremes> extremes;
  try {
    extremes = phaseExtremes(*jobs, system, options, most);
  } catch (const PhaseStopped&) {
    return std::nullopt;
  }
  if (!extremes) return std::nullopt;
  for (unsigned e = 0; e < n; ++e) {
    PositionBands bands;
    bands.count = jobs->jobCount();
    bands.min = extremes->min[e];
    bands.max = extremes->max[e];
    if (layBorders(bands, settings.HistogramPrecision) ==
        BorderWalk::kFallsShort) {
      return "Matrix" + std::to_string(family.system) +
             " under pivoting mode " + std::to_string(mode.index) + " (" +
             mode.plainName + "): " +
             collapseMessage(*family.info, system.columnOrder()[e],
                             BandsCollapse(e, bands.min, bands.max, bands.step),
                             settings.HistogramPrecision);
    }
  }
  return std::nullopt;
}

}  // namespace linprob
