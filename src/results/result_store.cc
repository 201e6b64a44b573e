#include "results/result_store.h"

#include <algorithm>

namespace linprob {
namespace {

std::size_t countOf(int count) {
  return static_cast<std::size_t>(std::max(count, 0));
}

}  // namespace

ResultStore::ResultStore(int variables, int matrices, int pivotModes,
                         int distributions)
    : variableCount(variables),
      matrixCount(matrices),
      distributionCount(distributions),
      pivotModeCount(pivotModes) {
  const std::vector<std::vector<double>> valuesOfUnknown(
      countOf(matrices), std::vector<double>(countOf(pivotModes), 0.0));
  exactValue.assign(countOf(variables), valuesOfUnknown);
  intervalLow = exactValue;
  intervalHigh = exactValue;
  const std::vector<std::vector<std::vector<ProbabilityMap>>> mapsOfUnknown(
      countOf(matrices),
      std::vector<std::vector<ProbabilityMap>>(
          countOf(pivotModes),
          std::vector<ProbabilityMap>(countOf(distributions))));
  bins.assign(countOf(variables), mapsOfUnknown);
  upperTail = bins;
  lowerTail = bins;
}

void storeProbability(ProbabilityMap& map, double key, double value,
                      bool valid) {
  auto [entry, inserted] = map.try_emplace(key, 0.0, 0.0);
  (void)inserted;
  if (valid) {
    entry->second.first = value;
  } else {
    entry->second.second = value;
  }
}

}  // namespace linprob
