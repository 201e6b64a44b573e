#include "cost/search_timing.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "base/elapsed_seconds.h"
#include "distributions/family.h"
#include "distributions/point_kinds.h"
#include "cost/made_up_system.h"
#include "linear/pivot_mode.h"
#include "solve/extreme_search.h"
#include "solve/extremes.h"
#include "solve/phase_solver.h"

namespace linprob {
namespace {

using Clock = std::chrono::steady_clock;

// The setup of larger systems: made-up systems from kFirstSetupUnknowns
// unknowns up, until one takes kLongestSetupSeconds.
constexpr double kFirstSetupUnknowns = 32.0;
constexpr double kLongestSetupSeconds = 0.5;
constexpr double kShortestFittedSeconds = 0.02;
constexpr std::size_t kFittedPoints = 3;
constexpr double kSetupShare = 0.02;

// A regular made-up system of k unknowns (made_up_system.h), eliminated
// without pivoting, and the first family's one job of one cell per entry on
// [-1, 1].
struct MadeUpPhase {
  LinearSystem system;
  std::unique_ptr<JobSource> jobs;
};

MadeUpPhase madeUpPhase(unsigned k, const std::stop_token& stop) {
  MadeUpPhase phase{LinearSystem::fromRows(k, madeUpInputs(k).matrix),
                    nullptr};
  phase.system.eliminate(kPivotModes[0], stop);
  if (stop.stop_requested()) throw PhaseStopped{};
  SourceRequest request;
  request.family = &kFamilies[0];
  request.n = k;
  request.entries.width = 2;
  for (unsigned e = 0; e < k; ++e) {
    request.entries.numbers.insert(request.entries.numbers.end(), {-1.0, 1.0});
  }
  request.count = 1;
  phase.jobs = makeJobSource(request);  // PointKind::kEnumeration
  return phase;
}

// The power that fits the last kFittedPoints times of at least
// kShortestFittedSeconds (below that the phase's other work, which grows
// more slowly, would flatten it), or of the last two when fewer are that
// long: least squares of the logarithms, between 1 and 4; 3 from one point.
double fittedPower(const std::vector<std::pair<double, double>>& points) {
  std::size_t first = points.size();
  while (first > 0 && points.size() - first < kFittedPoints &&
         points[first - 1].second >= std::log(kShortestFittedSeconds)) {
    --first;
  }
  if (points.size() - first < 2) {
    first = points.size() >= 2 ? points.size() - 2 : 0;
  }
  const double count = static_cast<double>(points.size() - first);
  if (count < 2.0) return 3.0;
  double meanX = 0.0, meanY = 0.0;
  for (std::size_t p = first; p < points.size(); ++p) {
    meanX += points[p].first;
    meanY += points[p].second;
  }
  meanX /= count;
  meanY /= count;
  double covariance = 0.0, variance = 0.0;
  for (std::size_t p = first; p < points.size(); ++p) {
    covariance += (points[p].first - meanX) * (points[p].second - meanY);
    variance += (points[p].first - meanX) * (points[p].first - meanX);
  }
  return std::clamp(covariance / variance, 1.0, 4.0);
}

}  // namespace

// The extreme search of an enumeration phase (solve/extreme_search.h): its
// setup and its candidates' replays, on one thread, for the source's cells.
double searchSeconds(const JobSource& jobs, const LinearSystem& system,
                     const std::stop_token& stop) {
  const Clock::time_point start = Clock::now();
  const EnumerationJobs& cells = *jobs.cells();
  const ExtremeSearch search(cells, system.steps(),
                             candidateLimitFor(jobs.jobCount() * 4 + 4),
                             stop);
  if (stop.stop_requested()) throw PhaseStopped{};
  Extremes extremes(system.size());
  JobBlock block(system.size());
  search.search(UnitRange{0, cells.prefixCount()}, extremes, block);
  return secondsSince(start);
}

// The extreme search of an enumeration phase of n unknowns on one thread,
// carried from made-up systems of fewer unknowns (see calibration.h): the
// larger the run, the nearer n the last of them, within kSetupShare of the
// run's `phases` phases.
double extrapolatedSearch(unsigned n, double phases,
                          const std::stop_token& stop) {
  std::vector<std::pair<double, double>> points;  // log k, log seconds
  double predicted = 0.0;
  for (double k = kFirstSetupUnknowns; k < n; k *= std::sqrt(2.0)) {
    const auto size = static_cast<unsigned>(k);
    const MadeUpPhase phase = madeUpPhase(size, stop);
    const double seconds = searchSeconds(*phase.jobs, phase.system, stop);
    points.emplace_back(std::log(static_cast<double>(size)),
                        std::log(std::max(seconds, 1e-6)));
    const double power = fittedPower(points);
    predicted = std::exp(points.back().second +
                         power * (std::log(static_cast<double>(n)) -
                                  points.back().first));
    const double next = seconds * std::pow(std::sqrt(2.0), power);
    if (seconds >= kLongestSetupSeconds &&
        next > kSetupShare * phases * predicted) {
      break;
    }
  }
  return predicted;
}

}  // namespace linprob
