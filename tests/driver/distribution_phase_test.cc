// A phase whose band width is below the resolution of its values refuses to
// collapse its bands. (What --digits states is checked in tests/calibration.)
#include "driver/distribution_phase.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "linear/pivot_mode.h"

namespace linprob {
namespace {


// x = b on [1, 1 + 1e-13]: 1000 bands would be a tenth of an ulp each. The
// start of a run refuses it (band_check_test.cc); the phase itself does too.
TEST(DistributionPhaseTest, RefusesBandsNarrowerThanTheValuesResolution) {
  RunSettings settings;
  settings.Dimensions = 1;
  settings.IntegrationPrecision = 10;
  settings.HistogramPrecision = 1000;
  SystemInputs inputs;
  inputs.n = 1;
  inputs.matrix = {1};
  inputs.rhs = {1};
  inputs.intervalRhs = {{1, 1.0000000000001}};
  inputs.normalPairs = {1, 1};
  inputs.boundsPairs = {1, 1.0000000000001};
  const SystemReference reference =
      makeSystemReference(inputs, {}, ReferenceNeed::kInputsOnly);
  LinearSystem system = LinearSystem::fromRows(1, inputs.matrix);
  system.eliminate(kPivotModes[0]);
  const PhaseContext context{settings, system,  reference, 0, kPivotModes[0],
                             std::nullopt, nullptr, {}, {1.0}};
  ::testing::internal::CaptureStdout();
  try {
    runDistributionPhase(familyInfo(Family::kTriangular), context);
    ADD_FAILURE() << "the bands were counted";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(),
                 "Triangular family, unknown 0: the band width "
                 "9.015010959956272e-17 (HistogramPrecision 1000) is below the "
                 "resolution of the values from Min 1.0000000000000049 to Max "
                 "1.000000000000095: the bands would collapse");
  }
  ::testing::internal::GetCapturedStdout();

  // Ten bands are wide enough.
  settings.HistogramPrecision = 10;
  ::testing::internal::CaptureStdout();
  EXPECT_NO_THROW(runDistributionPhase(familyInfo(Family::kTriangular), context));
  ::testing::internal::GetCapturedStdout();
}

}  // namespace
}  // namespace linprob
