#include "solve/contributions.h"

#include <algorithm>
#include <cmath>

#include "linear/step_replay.h"
#include "solve/replay_bound.h"

namespace linprob {
namespace {

constexpr double kUnitRoundoff = 0x1p-53;

}  // namespace

Contributions::Contributions(const EnumerationJobs& jobs,
                             const std::vector<step>& steps,
                             const std::stop_token& stop)
    : n_(jobs.n), cells_(jobs.prefixCount()) {
  const unsigned n = n_;
  const std::size_t cells = cells_;
  if (n == 0 || cells == 0) return;

  std::vector<double> magnitude(n, 0.0);
  for (unsigned e = 0; e < n; ++e) {
    for (std::size_t k = 0; k < cells; ++k) {
      magnitude[e] = std::max(magnitude[e], std::fabs(jobs.cells[k][e].value));
    }
    if (!std::isfinite(magnitude[e])) return;
  }
  // T_i: the replay of a job against L b, plus each contribution against
  // its exact part.
  const ReplayBound whole = replayBound(steps, magnitude);
  if (!whole.finite()) return;
  tolerance_ = whole.error;
  for (unsigned e = 0; e < n; ++e) {
    if (stop.stop_requested()) return;
    std::vector<double> alone(n, 0.0);
    alone[e] = magnitude[e];
    const ReplayBound single = replayBound(steps, alone);
    if (!single.finite()) return;
    for (unsigned i = 0; i < n; ++i) {
      tolerance_[i] = addUp(tolerance_[i], single.error[i]);
    }
  }

  // Every cell of one entry at once: row r of lane k at rows[r * cells + k].
  values_.resize(static_cast<std::size_t>(n) * cells * n);
  largest_.assign(static_cast<std::size_t>(n) * n, 0.0);
  std::vector<double> rows(static_cast<std::size_t>(n) * cells);
  for (unsigned e = 0; e < n; ++e) {
    if (stop.stop_requested()) return;
    std::fill(rows.begin(), rows.end(), 0.0);
    for (std::size_t k = 0; k < cells; ++k) {
      rows[e * cells + k] = jobs.cells[k][e].value;
    }
    replayBlock(rows.data(), cells, cells, steps);
    for (std::size_t k = 0; k < cells; ++k) {
      for (unsigned i = 0; i < n; ++i) {
        const double c = rows[i * cells + k];
        if (!std::isfinite(c)) return;
        values_[(e * cells + k) * n + i] = c;
        double& largest = largest_[e * n + i];
        largest = std::max(largest, std::fabs(c));
      }
    }
  }
  finite_ = true;
}

double Contributions::sumRounding(unsigned position, unsigned first,
                                  unsigned end) const {
  double largestSum = 0.0;
  for (unsigned e = first; e < end; ++e) {
    largestSum = addUp(largestSum, largest_[e * n_ + position]);
  }
  return multiplyUp(
      multiplyUp(2.0 * kUnitRoundoff, static_cast<double>(end - first)),
      largestSum);
}

}  // namespace linprob
