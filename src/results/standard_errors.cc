#include "results/standard_errors.h"

#include "results/position_threads.h"
#include "results/replicate_errors.h"
#include "results/sample_errors.h"

namespace linprob {

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
