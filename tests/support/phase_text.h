// Test support: phase results built from tables of solved samples (through
// the sorted reference) or from counted bands, and their summary-file text.
#ifndef LINPROB_TESTS_SUPPORT_PHASE_TEXT_H_
#define LINPROB_TESTS_SUPPORT_PHASE_TEXT_H_

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "output/summary_file.h"
#include "results/phase_result.h"
#include "support/sorted_reference.h"

namespace linprob::testing {

// Positions without moments have none that is finite: no approximation.
inline PhaseResult phaseOfBands(PhaseBands bands,
                                const std::vector<unsigned>& order,
                                const std::vector<NormalParameters>& moments = {}) {
  return makePhaseResult(Family::kTriangular, std::move(bands), moments, order);
}

// `table` is sorted here, then walked.
inline PhaseResult phaseOfSamples(SampleTable table, int h,
                                  const std::vector<unsigned>& order,
                                  const std::vector<NormalParameters>& moments = {}) {
  for (auto& samples : table) sortSamples(samples);
  return phaseOfBands(tabulateSortedTable(table, h), order, moments);
}

inline std::string validText(const PhaseResult& phase) {
  std::ostringstream out;
  printValidTables(phase, out);
  return out.str();
}

inline std::string invalidText(const PhaseResult& phase) {
  std::ostringstream out;
  printInvalidTables(phase, out);
  return out.str();
}

}  // namespace linprob::testing

#endif  // LINPROB_TESTS_SUPPORT_PHASE_TEXT_H_
