// PositionErrors: the standard errors of one position's results (its band
// masses, mean, sd and the ends of its 95 % intervals) under the design of
// its phase's points, as the estimators of independent samples
// (results/sample_errors.h) and of replicates (results/replicate_errors.h)
// give them and results/standard_errors.h gathers them.
#ifndef LINPROB_RESULTS_POSITION_ERRORS_H_
#define LINPROB_RESULTS_POSITION_ERRORS_H_

#include <optional>
#include <string>
#include <vector>

#include "distributions/point_kinds.h"

namespace linprob {

enum class ErrorDesign { kIndependentSamples, kIndependentReplicates };

// "independent samples", "replicates": as results.json names them.
const char* errorDesignName(ErrorDesign design);
ErrorDesign errorDesignOf(PointKind points);

struct CoverageErrors {
  double symmetricLower = 0.0;
  double symmetricUpper = 0.0;
  double shortestLower = 0.0;
  double shortestUpper = 0.0;
};

struct PositionErrors {
  ErrorDesign design = ErrorDesign::kIndependentSamples;
  double coverageFactor = 0.0;  // k
  double degreesOfFreedom = 0.0;
  std::vector<double> masses;  // by band
  double mean = 0.0;
  double sd = 0.0;
  std::optional<CoverageErrors> coverage;
  // Why some end's error is NaN ("" when none is): in the program's words,
  // for the page and results.json.
  std::string coverageReason;
};

// Why some end of `coverage` has no error, in the program's words ("" when
// every end has one).
std::string missingEndsReason(const CoverageErrors& coverage,
                              ErrorDesign design);

// Completes `errors` with `coverage`, the shortest interval's ends' errors
// set to `shortestLower` and `shortestUpper` (NaN where there is none), and
// the reason for any end without one.
void setCoverage(PositionErrors& errors, CoverageErrors coverage,
                 double shortestLower, double shortestUpper);

// The fewest samples of a batch whose shortest interval the subsampling of
// the shortest interval's ends takes (smaller ones say too little about it).
inline constexpr double kFewestSubsampleJobs = 512.0;

}  // namespace linprob

#endif  // LINPROB_RESULTS_POSITION_ERRORS_H_
