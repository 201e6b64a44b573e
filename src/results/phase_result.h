// PhaseResult: everything one distribution phase of one system under one
// pivoting mode found, computed once and rendered by every writer.
//
// Per solution position: the VALID histogram (count, min, max, step, the
// upper borders b1 ... bK and the K band masses), the moments propagated
// through the elimination steps, and the INVALID normal approximation
// evaluated over the same borders with both tails. Positions are in
// solution order; `unknown` is the input index of the unknown at that
// position (columnOrder[position]).
//
// The approximation walks the histogram's own borders: it opens the same K
// bands, except when min + step does not move (all solved values equal, or
// nearly so), where it has no band and both tails meet at min. A zero
// variance is a point mass at the mean (cdf 1 from the mean on); a mean or
// variance that is not finite, or a negative variance, has no approximation.
//
// A sampling phase also keeps the seed its samples were drawn from, so that
// the run can be repeated, and under --digits how its rounds ended (the
// samples it used are solvedJobs()). Its positions keep their standard
// errors and the convergence of their estimates over the batches.
//
// Each position also carries its measures (results/position_measures.h),
// filled by measurePhase once the phase is done.
#ifndef LINPROB_RESULTS_PHASE_RESULT_H_
#define LINPROB_RESULTS_PHASE_RESULT_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <vector>

#include "distributions/family.h"
#include "linear/normal_parameters.h"
#include "results/standard_errors.h"
#include "results/convergence.h"
#include "results/digits_rule.h"
#include "results/normal_table.h"
#include "results/position_measures.h"
#include "solve/band_table.h"

namespace linprob {

enum class ApproxState {
  kAvailable,
  kNotFinite,         // the mean or the variance is not finite
  kNegativeVariance,
};

struct PositionResult {
  unsigned unknown = 0;
  PositionBands valid;           // count 0: the phase solved no job
  NormalParameters moments;      // propagated through the steps
  ApproxState approxState = ApproxState::kAvailable;
  NormalTable invalid;           // meaningful when hasInvalid()
  PositionMeasures measures;
  // The Monte Carlo standard errors of a sampling phase's VALID masses,
  // moments and coverage intervals, with their coverage factor
  // (results/standard_errors.h); none in enumeration.
  std::optional<PositionErrors> errors;
  // The running estimates over the batches (results/convergence.h); none
  // where errors are none or without moments.
  std::optional<Convergence> convergence;

  bool solved() const { return valid.count > 0; }
  bool hasInvalid() const {
    return solved() && approxState == ApproxState::kAvailable;
  }
};

// A phase whose matrix was random (distributions/random_matrix_files.h):
// the matrix's file, and what its samples did.
struct RandomMatrixOutcome {
  const char* file = "";
  std::uint64_t jobs = 0;
  std::uint64_t refused = 0;       // near-singular: counted, not solved
  std::uint64_t pivotChanges = 0;  // solved under other pivots than the
                                   // mean matrix's
  // Their shares of the phase's probability: of the jobs in sampling,
  // every sample weighing the same; of the cells' probabilities in
  // enumeration.
  double refusedShare = 0.0;
  double pivotChangeShare = 0.0;
  // The mean to second order (linear/first_order_moments.h), by unknown.
  std::vector<double> secondOrderMean;
};

struct PhaseResult {
  Family family = Family::kTriangular;
  std::vector<PositionResult> positions;  // by solution position
  // The seed a sampling phase drew its samples from; none in enumeration.
  std::optional<std::uint64_t> seed = std::nullopt;
  // How a --digits phase ended; none without --digits.
  std::optional<DigitsStop> digits = std::nullopt;
  // A phase whose matrix was random; none where it was Matice.txt.
  std::optional<RandomMatrixOutcome> randomMatrix = std::nullopt;

  // The jobs the phase solved (each position counts every job).
  std::uint64_t solvedJobs() const {
    return positions.empty() ? 0 : positions.front().valid.count;
  }
};

ApproxState approxState(const NormalParameters& moments);

// How many of the histogram's bands a table over them walks: all of them,
// or none when the first border would not move away from min.
std::size_t walkedBands(const PositionBands& bands);

// The normal distribution of `moments` (kAvailable) over the bands.
// `stop` is looked at every kBandsPerLook bands (up to a million per
// table): once it is requested the table ends early, and the caller must
// drop it.
NormalTable normalTable(const PositionBands& bands,
                        const NormalParameters& moments,
                        const std::stop_token& stop = {});
inline constexpr std::size_t kBandsPerLook = 4096;

// The result of a phase from its counted bands and its propagated moments
// (both by solution position; a position beyond the end of `moments` has no
// approximation). Incomplete, for the caller to drop, once `stop` is
// requested.
PhaseResult makePhaseResult(Family family, PhaseBands bands,
                            const std::vector<NormalParameters>& moments,
                            const std::vector<unsigned>& columnOrder,
                            const std::stop_token& stop = {});

}  // namespace linprob

#endif  // LINPROB_RESULTS_PHASE_RESULT_H_
