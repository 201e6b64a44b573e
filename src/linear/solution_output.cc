#include "linear/solution_output.h"

namespace linprob {

void printBounds(const std::vector<Interval>& solution,
                 const LinearSystem& system, std::ostream& out) {
  // Position order; each line names the unknown that sits at that position.
  for (unsigned k = 0; k < system.size; ++k) {
    out << "Variable number " << system.columnOrder[k]
        << " has bounds: " << solution[k].lower() << " to "
        << solution[k].upper() << std::endl;
  }
}

void storeExactValues(const std::vector<Interval>& solution,
                      const LinearSystem& system, ResultStore& store,
                      int matrixIndex, int mode) {
  // Only the lower end of the narrow interval is kept as the exact value.
  for (unsigned k = 0; k < system.size; ++k) {
    store.exactValue[system.columnOrder[k]][matrixIndex][mode] =
        solution[k].lower();
  }
}

void storeIntervalValues(const std::vector<Interval>& solution,
                         const LinearSystem& system, ResultStore& store,
                         int matrixIndex, int mode) {
  for (unsigned k = 0; k < system.size; ++k) {
    const unsigned unknown = system.columnOrder[k];
    store.intervalLow[unknown][matrixIndex][mode] = solution[k].lower();
    store.intervalHigh[unknown][matrixIndex][mode] = solution[k].upper();
  }
}

}  // namespace linprob
