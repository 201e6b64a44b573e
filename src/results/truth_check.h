// TruthCheck: one unknown of one phase judged against its continuous truth
// (results/continuous_truth.h): the truth over the histogram's own bands and
// how far VALID, the INVALID approximation and the exact linear normal lie
// from it (results/discrepancy.h, discrepancyBetween, the truth as the
// first table):
//   valid        VALID against the truth: the error of the discretisation
//                (enumeration) or of the finite sample (sampling);
//   invalid,     the approximations' own errors.
//   exactLinear
// `truth` is empty, with `reason`, when the system has no inverse or the
// truth could not be certified; a discrepancy is empty when what it compares
// is missing or walked other bands. Nothing is set for a phase that solved
// no job.
#ifndef LINPROB_RESULTS_TRUTH_CHECK_H_
#define LINPROB_RESULTS_TRUTH_CHECK_H_

#include <optional>
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
struct SystemReference;

// Fills position.measures.truth; the other measures must be in place.
void checkAgainstTruth(PositionResult& position,
                       const SystemReference& reference, Family family);

}  // namespace linprob

#endif  // LINPROB_RESULTS_TRUTH_CHECK_H_
