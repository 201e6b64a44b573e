#include "results/truth_check.h"

#include "results/phase_result.h"

namespace linprob {
namespace {

// `table` against the truth, when both walked the same bands.
std::optional<Discrepancy> againstTruth(const TruthTable& truth,
                                        const NormalTable& table) {
  const NormalTable& t = truth.values;
  if (table.masses.size() != t.masses.size()) return std::nullopt;
  return discrepancyBetween(t.lowerTail, t.masses, t.upperTail,
                            table.lowerTail, table.masses, table.upperTail);
}

}  // namespace

void checkAgainstTruth(PositionResult& position,
                       const SystemReference& reference, Family family) {
  TruthCheck& check = position.measures.truth;
  check = TruthCheck{};
  if (!position.solved()) return;
  if (!reference.inverse) {
    check.reason = reference.inverseReason;
    return;
  }
  const PositionBands& bands = position.valid;
  TruthQuestion question;
  question.inverse = reference.inverse.get();
  question.unknown = position.unknown;
  question.shape = entryShape(family);
  question.pairs = &reference.parameterPairs(family);
  question.min = bands.min;
  question.borders = &bands.borders;
  question.walked = walkedBands(bands);
  TruthOutcome outcome = continuousTruth(question);
  check.reason = std::move(outcome.reason);
  if (!outcome.table) return;
  check.truth = std::move(outcome.table);
  const TruthTable& truth = *check.truth;
  if (truth.values.masses.size() == bands.masses.size()) {
    check.valid = discrepancyBetween(
        truth.values.lowerTail, truth.values.masses, truth.values.upperTail,
        0.0, bands.masses, 0.0);
  }
  const PositionMeasures& measures = position.measures;
  if (measures.invalid) check.invalid = againstTruth(truth, position.invalid);
  if (measures.exactLinear) {
    check.exactLinear = againstTruth(truth, measures.exactLinearTable);
  }
}

}  // namespace linprob
