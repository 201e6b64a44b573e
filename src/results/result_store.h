// ResultStore: every number of a run that the CSV export writes, gathered by
// unknown (input index), system, pivoting mode and distribution.
//
// Written only by the driver's thread, outside the threaded stretch of a
// phase, and read once by the export; it needs no lock.
#ifndef LINPROB_RESULTS_RESULT_STORE_H_
#define LINPROB_RESULTS_RESULT_STORE_H_

#include <map>
#include <utility>
#include <vector>

namespace linprob {

// A border on the value axis of one unknown -> (VALID, INVALID) probability.
// Keys match only on exact equality of the doubles.
using ProbabilityMap = std::map<double, std::pair<double, double>>;

class ResultStore {
 public:
  // Counts of 0 or less give empty levels.
  ResultStore(int variableCount, int matrixCount, int pivotModeCount,
              int distributionCount);

  int variableCount;
  int matrixCount;
  int distributionCount;
  int pivotModeCount;

  // [unknown][system][mode], zero until the deterministic pass writes them.
  std::vector<std::vector<std::vector<double>>> exactValue;
  std::vector<std::vector<std::vector<double>>> intervalLow;
  std::vector<std::vector<std::vector<double>>> intervalHigh;
  // [unknown][system][mode][distribution]
  std::vector<std::vector<std::vector<std::vector<ProbabilityMap>>>> bins;
  std::vector<std::vector<std::vector<std::vector<ProbabilityMap>>>> upperTail;
  std::vector<std::vector<std::vector<std::vector<ProbabilityMap>>>> lowerTail;
};

// Writes one side of one entry: an absent key becomes (value, 0.0) when
// `valid`, (0.0, value) otherwise; a present key has that side overwritten
// (assigned, never added) and keeps the other.
void storeProbability(ProbabilityMap& map, double key, double value,
                      bool valid);

}  // namespace linprob

#endif  // LINPROB_RESULTS_RESULT_STORE_H_
