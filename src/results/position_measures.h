// PositionMeasures: how far to trust the results of one unknown in one
// distribution phase, computed once from the phase's counted bands, its
// INVALID approximation and the system's exact references:
//
//   moments          weighted mean and standard deviation of the solved
//                    values (the counting pass's WeightedMoments);
//   expectedMoments  what they should be (SystemReference::expected);
//   coverage         the 95 % coverage intervals of the counting pass's fine
//                    histogram (results/coverage_interval.h), or at the
//                    borders a phase counted by halves found instead;
//   invalid          the INVALID approximation judged: its mean and
//                    standard deviation, its discrepancy against VALID
//                    (results/discrepancy.h) and its validation against the
//                    symmetric coverage interval (results/gum_validation.h);
//   exactLinear      the same for the family's moments propagated exactly,
//                    N(exactLinear mean, variance), tabulated like INVALID
//                    over the histogram's borders (exactLinearTable; a zero
//                    variance is a point mass).
//   truth            the continuous truth over the same bands and how far
//                    VALID and both normals lie from it, filled apart by
//                    checkPhaseAgainstTruth (results/truth_check.h);
//   added            the values of the added measures' rows, their columns
//                    in order (results/added_measure.h); empty where the
//                    phase solved no job or there are none.
// Each is empty when what it needs is missing: every one when the phase
// solved no job; moments and coverage when the phase was counted without
// references (SolveOptions::references), coverage also when Min or Max is
// not finite; expectedMoments and exactLinear without exact references; a
// discrepancy when the approximation walked fewer bands than the histogram
// has (all solved values equal, or nearly so); a validation without a
// coverage interval.
#ifndef LINPROB_RESULTS_POSITION_MEASURES_H_
#define LINPROB_RESULTS_POSITION_MEASURES_H_

#include <optional>
#include <vector>

#include "results/coverage_interval.h"
#include "results/discrepancy.h"
#include "results/gum_validation.h"
#include "results/normal_table.h"
#include "results/system_reference.h"
#include "results/truth_check.h"

namespace linprob {

struct MeanSd {
  double mean = 0.0;
  double sd = 0.0;
};

// A normal approximation's tables live beside this (PositionResult::invalid,
// PositionMeasures::exactLinearTable).
struct ApproximationCheck {
  MeanSd normal;
  std::optional<Discrepancy> discrepancy;
  std::optional<GumValidation> validation;
};

struct PositionMeasures {
  std::optional<MeanSd> moments;
  std::optional<MeanSd> expectedMoments;
  std::optional<CoverageInterval> coverage;
  std::optional<ApproximationCheck> invalid;
  std::optional<ApproximationCheck> exactLinear;
  NormalTable exactLinearTable;  // meaningful when exactLinear
  TruthCheck truth;
  std::vector<std::optional<double>> added;
};

}  // namespace linprob

#endif  // LINPROB_RESULTS_POSITION_MEASURES_H_
