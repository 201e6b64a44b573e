// TruthCheck: one unknown of one phase judged against its continuous truth
// (results/continuous_truth.h): the truth over the histogram's own bands and
// how far VALID, the INVALID approximation and the exact linear normal lie
// from it (results/discrepancy.h, discrepancyBetween, the truth as the
// first table):
//   valid        VALID against the truth: the error of the discretisation
//                (enumeration) or of the finite sample (sampling);
//   invalid,     the approximations' own errors.
//   exactLinear
// A family whose entries take listed values (EntryShape::kListed) has for
// its truth, in an enumerating phase, that phase's own bands (every
// combination counted is the law; each solve is rounded all the same), so
// that VALID lies at 0 from it; a sampling phase of it has none.
// `truth` is empty, with `reason`, when the system has no inverse (the
// references give one up to their size limit) or the truth could not be
// bounded within its limit; a discrepancy is empty when what it compares
// is missing or walked other bands. Nothing is set for a phase that solved
// no job.
#ifndef LINPROB_RESULTS_TRUTH_CHECK_H_
#define LINPROB_RESULTS_TRUTH_CHECK_H_

#include <optional>
#include <stop_token>
#include <string>

#include "distributions/family.h"
#include "results/continuous_truth.h"
#include "results/discrepancy.h"

namespace linprob {

struct TruthCheck {
  std::optional<TruthTable> truth;
  std::string reason;
  std::optional<Discrepancy> valid;
  std::optional<Discrepancy> invalid;
  std::optional<Discrepancy> exactLinear;
};

struct PositionResult;
struct PhaseResult;
struct SystemReference;

// How the phase's points were made.
enum class PhasePoints { kEnumerated, kSampled };

// Fills position.measures.truth; the other measures must be in place
// (measurePhase).
void checkAgainstTruth(PositionResult& position,
                       const SystemReference& reference, Family family,
                       PhasePoints points);

// The same for every position of `phase` (sampled where it has a seed),
// spread over up to `threads`
// threads, each position on one of them, so that the results do not depend
// on their number. `stop` is checked before each position: once it is
// requested the threads end and PhaseStopped (solve/phase_solver.h) is
// thrown. No lock: each thread writes only the positions it takes from an
// atomic counter.
void checkPhaseAgainstTruth(PhaseResult& phase,
                            const SystemReference& reference,
                            unsigned threads, const std::stop_token& stop);

}  // namespace linprob

#endif  // LINPROB_RESULTS_TRUTH_CHECK_H_
