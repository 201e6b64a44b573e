#include "check/unused_options.h"

#include "distributions/point_kinds.h"

namespace linprob {

std::vector<std::string> unusedOptionLines(const RunSettings& settings) {
  std::vector<std::string> lines;
  if (!settings.ExactDistributions) return lines;
  const std::string why = ": has no effect in enumeration (ExactDistributions 1); ";
  if (settings.points != PointKind::kRandom) {
    lines.push_back(std::string("--points ") + pointKindRow(settings.points).name +
                    why + "it chooses the points of sampling phases");
  }
  if (settings.digits) {
    lines.push_back("--digits " + std::to_string(*settings.digits) + why +
                    "it sets the samples of sampling phases");
  }
  return lines;
}

}  // namespace linprob
