#include "results/truth_check.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <string>

#include "base/thread_group.h"
#include "distributions/random_matrix_files.h"
#include "linear/ball.h"
#include "results/phase_result.h"
#include "results/system_reference.h"
#include "solve/phase_solver.h"

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

// VALID, INVALID and the exact linear normal against `check.truth`.
void measureAgainstTruth(const PositionResult& position, TruthCheck& check) {
  const TruthTable& truth = *check.truth;
  const PositionBands& bands = position.valid;
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

// The truth of a family of listed values: the enumeration's own bands.
void listedTruth(PositionResult& position, const SystemReference& reference,
                 Family family, PhasePoints points) {
  TruthCheck& check = position.measures.truth;
  if (reference.correlated()) {
    check.reason =
        "not computed: the entries are correlated (Correlation.txt); the "
        "enumeration is of the copula's normal cells, not of every "
        "combination of the values";
    return;
  }
  if (points == PhasePoints::kSampled) {
    check.reason = std::string("not computed: the law of the ") +
                   familyInfo(family).name +
                   " family's sums is the enumeration of every combination "
                   "of its values (ExactDistributions 1), not sampled";
    return;
  }
  const PositionBands& bands = position.valid;
  TruthTable truth;
  truth.method = TruthMethod::kEnumeration;
  truth.values.masses = bands.masses;
  const std::size_t walked = walkedBands(bands);
  truth.values.masses.resize(walked);
  truth.values.upperBorder = walked > 0 ? bands.borders[walked - 1] : bands.min;
  truth.errors.masses.assign(walked, 0.0);
  truth.errors.upperBorder = truth.values.upperBorder;
  check.truth = std::move(truth);
  measureAgainstTruth(position, check);
}

}  // namespace

void checkAgainstTruth(PositionResult& position,
                       const SystemReference& reference, Family family,
                       PhasePoints points) {
  TruthCheck& check = position.measures.truth;
  check = TruthCheck{};
  if (!position.solved()) return;
  const ParameterKind kind = familyInfo(family).parameterKind;
  if (!reference.randomMatrixOf(kind).empty()) {
    check.reason = std::string("not computed: the matrix is random (") +
                   randomMatrixFileOf(kind) +
                   "); the exact law is computed for a fixed matrix";
    return;
  }
  if (familyInfo(family).shape == EntryShape::kListed) {
    listedTruth(position, reference, family, points);
    return;
  }
  if (!reference.inverseRows) {
    check.reason = reference.inverseReason;
    return;
  }
  const bool normalCopula = familyInfo(family).draw == SampleDraw::kNormal &&
                            reference.n <= kMostCorrelatedUnknowns;
  if (reference.correlated() && !normalCopula) {
    check.reason =
        "not computed: the entries are correlated (Correlation.txt); the "
        "exact law is computed for independent entries, and for correlated "
        "normal ones up to " +
        std::to_string(kMostCorrelatedUnknowns) + " unknowns";
    return;
  }
  if (familyInfo(family).shape == EntryShape::kOther) {
    check.reason = std::string("not computed: no exact law of the ") +
                   familyInfo(family).name + " family's sums";
    return;
  }
  const PositionBands& bands = position.valid;
  TruthQuestion question;
  question.inverse = reference.inverseRows.get();
  question.unknown = position.unknown;
  question.shape = familyInfo(family).shape;
  question.pairs = &reference.parametersOf(familyInfo(family).parameterKind);
  question.min = bands.min;
  question.borders = &bands.borders;
  question.walked = walkedBands(bands);
  if (reference.correlated()) question.correlation = &reference.correlation;
  TruthOutcome outcome = continuousTruth(question);
  check.reason = std::move(outcome.reason);
  if (!outcome.table) return;
  check.truth = std::move(outcome.table);
  measureAgainstTruth(position, check);
}

void checkPhaseAgainstTruth(PhaseResult& phase,
                            const SystemReference& reference,
                            unsigned threads, const std::stop_token& stop) {
  const PhasePoints points =
      phase.seed ? PhasePoints::kSampled : PhasePoints::kEnumerated;
  std::atomic<std::size_t> next{0};
  const std::size_t count = phase.positions.size();
  const auto work = [&] {
    for (;;) {
      if (stop.stop_requested()) return;
      const std::size_t i = next.fetch_add(1, std::memory_order_relaxed);
      if (i >= count) return;
      checkAgainstTruth(phase.positions[i], reference, phase.family, points);
    }
  };
  const std::size_t workers =
      std::min<std::size_t>(std::max(threads, 1u), count);
  if (workers <= 1) {
    work();
  } else {
    ThreadGroup group;
    for (std::size_t t = 0; t < workers; ++t) {
      group.start([&](const std::stop_token&) {
        work();
        releaseArbCaches();
      });
    }
    group.join();
  }
  if (stop.stop_requested()) throw PhaseStopped{};
}

}  // namespace linprob
