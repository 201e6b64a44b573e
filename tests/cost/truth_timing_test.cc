#include "cost/truth_timing.h"

#include <gtest/gtest.h>

namespace linprob {
namespace {

// The truth costs time only where it is computed: with a report, up to the
// references' size.
TEST(TruthTiming, CountsOnlyTruthsTheRunComputes) {
  RunSettings settings;
  settings.Dimensions = 40;
  settings.HistogramPrecision = 10;
  settings.SolverThreadCount = 2;
  EXPECT_GT(truthSecondsPerSystem(RunConfig(settings), 2), 0.0);
  EXPECT_EQ(
      truthSecondsPerSystem(RunConfig(settings, ReportChoice::kSkipped), 2),
      0.0);
  settings.Dimensions = 2001;
  EXPECT_EQ(truthSecondsPerSystem(RunConfig(settings), 2), 0.0);
}

}  // namespace
}  // namespace linprob
