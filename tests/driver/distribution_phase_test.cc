// A phase whose band width is below the resolution of its values refuses to
// collapse its bands. (What --digits states is checked in tests/calibration.)
#include "driver/distribution_phase.h"

#include <gtest/gtest.h>

#include "support/narrow_phase.h"

namespace linprob {
namespace {

// x = b on [1, 1 + 1e-13]: 1000 bands would be a tenth of an ulp each. The
// start of a run refuses it (band_check_test.cc); the phase itself does too.
TEST(DistributionPhaseTest, RefusesBandsNarrowerThanTheValuesResolution) {
  testing_support::NarrowPhase phase(1000, true);
  EXPECT_EQ(phase.refusal(Family::kTriangular),
            "Triangular family, unknown 0: the band width "
            "9.015010959956272e-17 (HistogramPrecision 1000) is below the "
            "resolution of the values from Min 1.0000000000000049 to Max "
            "1.000000000000095: the bands would collapse");
  // Ten bands are wide enough.
  phase.settings.HistogramPrecision = 10;
  EXPECT_EQ(phase.refusal(Family::kTriangular), "");
}

}  // namespace
}  // namespace linprob
