// HalvesCounter: the counting pass of an enumeration phase (band masses and
// moments per chunk, coverage borders per position) from the partial sums of
// two parts of the entries instead of a replay of every job.
//
// Entries 0 ... split-1 form the first part (it holds entry 0, so the jobs
// of a prefix are the pairs of that prefix's first-part sums with every
// second-part sum), entries split ... n-1 the second (PartSums). For
// position i a job's replayed value v and its parts' sums a and b satisfy
//   |v - (a + b)| <= E = T_i + the rounding of each part's sum
// (Contributions). For a threshold t, cuts
//   low = fl(fl(t - a) - W),  high = fl(fl(t - a) + W),
//   W = 2 E + 4 u (2 |t|max + |a|max + |b|max),
// decide every pair: b < low gives v < t, b > high gives v > t (W covers E
// and the roundings of the cuts). The pairs with low <= b <= high are
// undecided: they are replayed as whole jobs (PairReplay) and counted where
// the replay puts them, so every job's band is the one the replay of that
// job gives, as in the counting pass.
//
// Band masses of a chunk: for each prefix of the chunk, for each of its
// first-part sums in ascending order, p_a times the mass of the decided
// second-part sums of each band (PartCuts finds the cuts, PartMasses the
// masses between them from probabilities only);
// then, per band, the undecided pairs' p_a p_b in the order they were met.
// A job's probability is taken as p_a p_b, which differs from the product
// of its cells in entry order by a few roundings. Moments (when the layout
// accumulates them): sum over the chunk's first-part sums of p_a times the
// second part's weight, first and second moments about its own mean,
// combined exactly as (a - r_a) + (b - r_b) with r_b that mean and
// r_a = r - r_b; they differ from the replayed values' moments by at most
// E relative. Every sum follows a fixed order that depends on the chunk
// only, so chunks added in chunk order give the same bits on any number of
// threads and processes.
//
// Coverage borders (for the positions whose layout has sub-bands, when it
// accumulates): searchCoverage over C_k, the mass of the jobs whose replay
// lies in sub-bands below k, each C_k computed by halves with its undecided
// pairs replayed (halves_coverage.h). Not available (std::nullopt) when the
// undecided pairs would take more replays than the budget given.
//
// Built once per phase after the borders are laid, then prepared a
// position at a time (on any threads); countChunk and coverage are const
// and may run on any number of threads, each with a Scratch of its own.
#ifndef LINPROB_SOLVE_HALVES_COUNTER_H_
#define LINPROB_SOLVE_HALVES_COUNTER_H_

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <stop_token>
#include <vector>

#include "distributions/enumeration_jobs.h"
#include "linear/linear_system.h"
#include "solve/band_counter.h"
#include "solve/contributions.h"
#include "solve/coverage_search.h"
#include "solve/pair_replay.h"
#include "solve/part_cuts.h"
#include "solve/part_sums.h"

namespace linprob {

class HalvesCounter {
 public:
  // 1 <= split <= n. Then prepare(i) for every position i (on any threads,
  // each position once), before anything else.
  HalvesCounter(const EnumerationJobs& jobs, const std::vector<step>& steps,
                const CountLayout& layout, unsigned split);
  // Lists and sorts position i's partial sums and bounds their rounding.
  void prepare(unsigned position);

  // False when the contributions or their bounds are not finite: the phase
  // must then be counted by replay.
  bool usable() const;

  class Scratch {
   public:
    explicit Scratch(const HalvesCounter& counter);

   private:
    friend class HalvesCounter;
    PairReplay replay_;
    std::vector<std::size_t> low_, high_;   // by border
    std::vector<double> decided_, undecided_;  // by band
    std::vector<double> queuedMass_;           // by queued pair
  };

  // The chunk's band masses of every position and, when the layout
  // accumulates, its moments, into `out` as BandCounter::finishChunk
  // leaves them. `stop` is looked at before each first-part sum (a chunk
  // whose pairs are mostly undecided replays as many jobs as the replay's
  // chunk): once it is requested `out` is incomplete and must be dropped.
  void countChunk(std::size_t chunk, ChunkSums& out, Scratch& scratch,
                  const std::stop_token& stop) const;

  // Whether `position` has coverage borders: it has sub-bands and the
  // layout accumulates (as a counting pass would give it a fine histogram).
  bool hasCoverage(unsigned position) const;
  // The coverage borders of `position` (coverageByHalves: none beyond the
  // replay budget or once `stop` is requested).
  std::optional<CoverageBorders> coverage(unsigned position,
                                          Scratch& scratch,
                                          std::uint64_t replayBudget,
                                          const std::stop_token& stop) const;

 private:
  struct Position {
    PartSums first;   // sorted within each prefix
    PartSums second;  // sorted
    std::optional<PartCuts> secondCuts;
    std::optional<PartMasses> secondMasses;
    double margin = std::numeric_limits<double>::infinity();  // W
    // The second part's weight and its moments about its mean.
    double secondMean = 0.0;
    double secondWeight = 0.0;
    double secondFirst = 0.0;
    double secondSecond = 0.0;
  };

  void countBands(unsigned e, UnitRange prefixes, double* masses,
                  Scratch& scratch, const std::stop_token& stop) const;
  WeightedMoments moments(unsigned e, UnitRange prefixes) const;

  const EnumerationJobs& jobs_;
  const std::vector<step>& steps_;
  const CountLayout& layout_;
  unsigned split_;
  std::size_t prefixBlock_ = 0;  // first-part sums per prefix
  std::optional<Contributions> contributions_;
  PartSums firstListed_, secondListed_;  // probabilities, listed order
  std::vector<Position> positions_;      // none when not finite
};

}  // namespace linprob

#endif  // LINPROB_SOLVE_HALVES_COUNTER_H_
