#include "results/position_errors.h"

#include <cmath>

#include "distributions/point_kinds.h"

namespace linprob {

const char* errorDesignName(ErrorDesign design) {
  return design == ErrorDesign::kIndependentReplicates ? "replicates"
                                            : "independent samples";
}

ErrorDesign errorDesignOf(PointKind points) {
  return pointKindRow(points).replicates == Replicates::kOne
             ? ErrorDesign::kIndependentSamples
             : ErrorDesign::kIndependentReplicates;
}

std::string missingEndsReason(const CoverageErrors& coverage,
                              ErrorDesign design) {
  const bool replicates = design == ErrorDesign::kIndependentReplicates;
  if (std::isnan(coverage.symmetricLower) ||
      std::isnan(coverage.symmetricUpper)) {
    return replicates
               ? "too few samples: the bound on a 2.5 % tail reaches beyond them"
               : "fewer than about 220 samples: no bound on a 2.5 % tail";
  }
  if (std::isnan(coverage.shortestLower) ||
      std::isnan(coverage.shortestUpper)) {
    return replicates
               ? "the shortest interval's ends need replicates of 512 samples"
               : "the shortest interval's ends need two batches of 1024 "
                 "samples";
  }
  return "";
}

void setCoverage(PositionErrors& errors, CoverageErrors coverage,
                 double shortestLower, double shortestUpper) {
  coverage.shortestLower = shortestLower;
  coverage.shortestUpper = shortestUpper;
  errors.coverageReason = missingEndsReason(coverage, errors.design);
  errors.coverage = coverage;
}

}  // namespace linprob
