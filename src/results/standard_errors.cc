#include "results/standard_errors.h"

#include <cmath>

#include "results/position_threads.h"
#include "results/replicate_errors.h"
#include "results/sample_errors.h"

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

std::vector<std::optional<PositionErrors>> standardErrors(
    const PhaseErrorInputs& inputs, unsigned threads) {
  const PhaseBands& bands = *inputs.bands;
  std::vector<std::optional<PositionErrors>> errors(bands.size());
  const bool batched = inputs.batches != nullptr && inputs.estimates != nullptr;
  forEachPosition(bands.size(), threads, [&](std::size_t e) {
    if (bands[e].count == 0) return;
    const std::vector<BatchEstimate>* estimates =
        batched ? &(*inputs.estimates)[e] : nullptr;
    if (errorDesignOf(inputs.points) == ErrorDesign::kIndependentSamples) {
      errors[e] = independentSampleErrors(
          bands[e], batched ? inputs.batches : nullptr, e, estimates);
    } else if (batched) {
      errors[e] = replicateErrors(bands[e], *inputs.batches, e, *estimates,
                                  inputs.points);
    }
  });
  return errors;
}

}  // namespace linprob
