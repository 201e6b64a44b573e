#include "linear/condition_number.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <span>
#include <vector>

#include "linear/replay_schedule.h"
#include "linear/step_replay.h"
#include "linear/tiled_replay.h"

namespace linprob {
double largerRowSum(double largest, double sum) {
  if (std::isnan(largest) || std::isnan(sum)) return std::nan("");
  return sum > largest ? sum : largest;
}

double matrixNorm(const LinearSystem& loaded) {
  const unsigned n = loaded.size();
  double largest = 0.0;
  for (unsigned r = 0; r < n; ++r) {
    double sum = 0.0;
    for (unsigned c = 0; c < n; ++c) sum += std::fabs(loaded.matrix()[c][r]);
    largest = largerRowSum(largest, sum);
  }
  return largest;
}

double inverseNorm(const LinearSystem& eliminated,
                   const std::stop_token& stop) {
  const unsigned n = eliminated.size();
  std::vector<double> rowSums(n, 0.0);
  const std::size_t stride = std::min<std::size_t>(n, kConditionLanes);
  std::vector<double> block(static_cast<std::size_t>(n) * stride);
  // The tiled replay where it is the faster one (each group's replay then
  // takes well under a second even at some thousands of unknowns: `stop`
  // is looked at between groups); the same values either way.
  std::optional<ReplaySchedule> schedule;
  if (n >= kTiledReplayFrom) {
    schedule.emplace(eliminated.steps(), n);
    if (!schedule->usable()) schedule.reset();
  }
  for (unsigned first = 0; first < n; first += stride) {
    const std::size_t lanes = std::min<std::size_t>(stride, n - first);
    // Lane j holds the unit vector e_(first + j), entry-major.
    std::fill(block.begin(), block.end(), 0.0);
    for (std::size_t j = 0; j < lanes; ++j) block[(first + j) * stride + j] = 1.0;
    const std::span<const step> steps(eliminated.steps());
    if (schedule) {
      if (stop.stop_requested()) return std::nan("");
      replayScheduled(*schedule, block.data(), stride, lanes);
    }
    for (std::size_t at = 0; at < steps.size() && !schedule;
         at += kConditionStepsPerLook) {
      if (stop.stop_requested()) return std::nan("");
      replayBlock(block.data(), stride, lanes,
                  steps.subspan(at, std::min(kConditionStepsPerLook,
                                             steps.size() - at)));
    }
    for (unsigned k = 0; k < n; ++k) {
      double& sum = rowSums[eliminated.columnOrder()[k]];
      for (std::size_t j = 0; j < lanes; ++j) {
        sum += std::fabs(block[k * stride + j]);
      }
    }
  }
  double largest = 0.0;
  for (const double sum : rowSums) largest = largerRowSum(largest, sum);
  return largest;
}

double conditionNumber(const LinearSystem& loaded,
                       const LinearSystem& eliminated,
                       const std::stop_token& stop) {
  return matrixNorm(loaded) * inverseNorm(eliminated, stop);
}

}  // namespace linprob
