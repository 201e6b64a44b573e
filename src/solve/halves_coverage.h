// The coverage borders of one position of an enumeration phase counted by
// halves (halves_counter.h): searchCoverage over C_k, the mass of the jobs
// whose replayed value lies in a fine sub-band below k, with exactly the
// sub-bands the counting pass gives (FineHistogram::subBand).
//
// The sub-band of v never decreases with v, so "sub-band below k" is
// "v < t_k", t_k = FineHistogram::border(k) the least double the fine
// histogram counts in sub-band k or above: the borders the interval is
// printed at (results/coverage_interval.h), so C_k is the mass below the
// printed border also when values sit on it. C(t) is the sum over the first part's sums a, ascending, of
// p_a times the second part's mass below t - a: the prefix mass below the
// low cut, plus the undecided pairs between the cuts (in the second part's
// order) that the replay puts below t. A larger t never gives a smaller sum
// (every term grows as a set of probabilities added in a fixed order), so C
// never decreases, and C(+inf) is the total. Masses become fixed-point
// counts with fixedPointMass.
//
// Each C_k costs one pass over the first part's sums whose pairs are
// neither all below t nor all above it, plus the replay of its undecided
// pairs; std::nullopt when these, over the whole search, would exceed
// replayBudget, or once `stop` is requested (checked before each C_k and
// between two batches of replayed pairs).
#ifndef LINPROB_SOLVE_HALVES_COVERAGE_H_
#define LINPROB_SOLVE_HALVES_COVERAGE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>

#include "solve/coverage_search.h"
#include "solve/pair_replay.h"
#include "solve/part_cuts.h"
#include "solve/part_sums.h"

namespace linprob {

struct HalvesPosition {
  const PartSums& first;  // any order
  const PartSums& second;  // sorted
  const PartCuts& secondCuts;
  const PartMasses& secondMasses;
  double margin = 0.0;  // W of halves_counter.h
  unsigned position = 0;
  double min = 0.0;  // the fine histogram's range
  double max = 0.0;
};

std::optional<CoverageBorders> coverageByHalves(const HalvesPosition& halves,
                                                PairReplay& replay,
                                                std::uint64_t replayBudget,
                                                const std::stop_token& stop);

}  // namespace linprob

#endif  // LINPROB_SOLVE_HALVES_COVERAGE_H_
