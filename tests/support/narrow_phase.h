// Test helpers: one phase of x = b, one unknown, b on [1, 1 + 1e-13]
// (every family's pairs so), whose 1000 bands would be a tenth of an ulp
// each while 10 are wide enough; and what the phase throws.
#ifndef LINPROB_TESTS_SUPPORT_NARROW_PHASE_H_
#define LINPROB_TESTS_SUPPORT_NARROW_PHASE_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "driver/distribution_phase.h"
#include "linear/pivot_mode.h"

namespace linprob::testing_support {

inline SystemInputs narrowInputs() {
  SystemInputs inputs;
  inputs.n = 1;
  inputs.matrix = {1};
  inputs.rhs = {1};
  inputs.intervalRhs = {{1, 1.0000000000001}};
  inputs.parametersOf(ParameterKind::kNormal) = {1, 1};
  inputs.parametersOf(ParameterKind::kBounds) = {1, 1.0000000000001};
  return inputs;
}

struct NarrowPhase {
  RunSettings settings;
  SystemReference reference =
      makeSystemReference(narrowInputs(), {}, ReferenceNeed::kInputsOnly);
  LinearSystem system = eliminated();

  // IntegrationPrecision 10, SampleCount 100, HistogramPrecision `bands`.
  NarrowPhase(int bands, bool exact) {
    settings.Dimensions = 1;
    settings.IntegrationPrecision = 10;
    settings.HistogramPrecision = bands;
    settings.ExactDistributions = exact;
    settings.SampleCount = 100;
  }

  // What the phase of `family` throws under the settings as they are now;
  // empty when it counts its bands. Its console lines are swallowed.
  std::string refusal(Family family,
                      std::optional<std::uint64_t> seed = std::nullopt) const {
    const RunConfig config(settings);
    const PhaseContext context{config, system,  reference, 0, kPivotModes[0],
                               seed,   nullptr, {},        {1.0}};
    ::testing::internal::CaptureStdout();
    std::string what;
    try {
      runDistributionPhase(familyInfo(family), context);
    } catch (const std::runtime_error& error) {
      what = error.what();
    }
    ::testing::internal::GetCapturedStdout();
    return what;
  }

 private:
  static LinearSystem eliminated() {
    LinearSystem system = LinearSystem::fromRows(1, {1});
    system.eliminate(kPivotModes[0]);
    return system;
  }
};

}  // namespace linprob::testing_support

#endif  // LINPROB_TESTS_SUPPORT_NARROW_PHASE_H_
