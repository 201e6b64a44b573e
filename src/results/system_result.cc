#include "results/system_result.h"

#include <cmath>
#include <cstddef>

namespace linprob {
namespace {

bool allFinite(const std::vector<double>& values) {
  for (const double v : values) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

bool finite(const Interval& x) {
  return std::isfinite(x.lower()) && std::isfinite(x.upper());
}

bool validFinite(const PositionBands& bands) {
  return std::isfinite(bands.min) && std::isfinite(bands.max) &&
         std::isfinite(bands.step) && allFinite(bands.borders) &&
         allFinite(bands.masses);
}

bool invalidFinite(const NormalTable& table) {
  return std::isfinite(table.lowerTail) && std::isfinite(table.upperBorder) &&
         std::isfinite(table.upperTail) && allFinite(table.masses);
}

std::string ofUnknown(unsigned unknown) {
  return " of unknown " + std::to_string(unknown);
}

}  // namespace

std::optional<std::string> findNonFinite(const SystemResult& result) {
  for (std::size_t k = 0; k < result.columnOrder.size(); ++k) {
    const unsigned unknown = result.columnOrder[k];
    if ((k < result.plainReplay.size() && !std::isfinite(result.plainReplay[k])) ||
        (k < result.plainReplayBounds.size() && !finite(result.plainReplayBounds[k]))) {
      return "the exact value" + ofUnknown(unknown);
    }
    if (k < result.interval.size() && !finite(result.interval[k])) {
      return "the interval" + ofUnknown(unknown);
    }
  }
  for (const PhaseResult& phase : result.phases) {
    const std::string family =
        std::string("the ") + familyInfo(phase.family).name + " family's ";
    for (const PositionResult& position : phase.positions) {
      if (position.solved() && !validFinite(position.valid)) {
        return family + "VALID table" + ofUnknown(position.unknown);
      }
      if (!std::isfinite(position.moments.mean) ||
          !std::isfinite(position.moments.variance)) {
        return family + "mean or variance" + ofUnknown(position.unknown);
      }
      if (position.hasInvalid() && !invalidFinite(position.invalid)) {
        return family + "INVALID table" + ofUnknown(position.unknown);
      }
    }
  }
  return std::nullopt;
}

}  // namespace linprob
