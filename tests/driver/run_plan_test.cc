// The plan of a run from its settings, the estimate and the durations shown.
#include "driver/run_plan.h"

#include <gtest/gtest.h>

#include <limits>

namespace linprob {
namespace {

TEST(RunPlanTest, CountsPhasesAndJobs) {
  RunSettings settings;  // 5 systems, 50 cells, n = 4
  RunPlan plan = makeRunPlan(settings);
  EXPECT_EQ(plan.phases(), 60u);
  EXPECT_EQ(plan.jobsPerPhase, 6250000u);
  EXPECT_EQ(plan.totalJobs(), 375000000u);
  EXPECT_EQ(plan.totalReplays(), 750000000.0);
  EXPECT_EQ(plan.eliminations(), 20u);

  settings.ExactDistributions = false;
  settings.SampleCount = 7;
  settings.MaxMatrix = 2;
  plan = makeRunPlan(settings);
  EXPECT_EQ(plan.jobsPerPhase, 7u);
  EXPECT_EQ(plan.totalJobs(), 2u * 12 * 7);

  // Counts below 1 give no system or no job.
  settings.SampleCount = -3;
  settings.MaxMatrix = -1;
  plan = makeRunPlan(settings);
  EXPECT_EQ(plan.phases(), 0u);
  EXPECT_EQ(plan.jobsPerPhase, 0u);
  settings.ExactDistributions = true;
  settings.IntegrationPrecision = 0;
  EXPECT_EQ(makeRunPlan(settings).jobsPerPhase, 0u);

  // 2^63 jobs a phase fit 64 bits, 12 phases of them do not.
  settings.IntegrationPrecision = 2;
  settings.Dimensions = 63;
  settings.MaxMatrix = 1;
  plan = makeRunPlan(settings);
  EXPECT_EQ(plan.jobsPerPhase, std::uint64_t{1} << 63);
  EXPECT_FALSE(plan.totalJobs().has_value());
  settings.Dimensions = 64;
  EXPECT_EQ(makeRunPlan(settings).jobsPerPhase,
            std::numeric_limits<std::uint64_t>::max());
}

TEST(RunPlanTest, EstimatesEliminationsAndReplays) {
  RunSettings settings;
  settings.MaxMatrix = 1;
  settings.Dimensions = 2;
  settings.IntegrationPrecision = 10;
  const RunPlan plan = makeRunPlan(settings);  // 12 phases of 100 jobs
  // Powers of two: the sums are exact.
  EXPECT_EQ(estimateSeconds(plan, RunCosts{0.5, 0.25}), 4 * 0.5 + 2400 * 0.25);
  // A first pass that replays a quarter of the jobs: 1.25 replays a job.
  EXPECT_EQ(estimateSeconds(plan, RunCosts{0.5, 0.25, 1.25}),
            4 * 0.5 + 1500 * 0.25);
  // And the system's references once, whatever the modes.
  EXPECT_EQ(estimateSeconds(plan, RunCosts{0.5, 0.25, 1.25, 8.0}),
            4 * 0.5 + 1500 * 0.25 + 8.0);
  EXPECT_EQ(longRunLine(plan, 3600.0 * 25 + 60),
            "linprob: this run is estimated to take about 1d01h (12 phases "
            "of 100 jobs); it goes on");
}

TEST(RunPlanTest, FormatsDurationsInTheirTwoLargestUnits) {
  EXPECT_EQ(formatDuration(0.0), "0s");
  EXPECT_EQ(formatDuration(-2.0), "0s");
  EXPECT_EQ(formatDuration(59.4), "59s");
  EXPECT_EQ(formatDuration(59.6), "1m00s");
  EXPECT_EQ(formatDuration(185.0), "3m05s");
  EXPECT_EQ(formatDuration(2 * 3600.0 + 3 * 60 + 59), "2h03m");
  EXPECT_EQ(formatDuration(12 * 86400.0 + 4 * 3600), "12d04h");
  EXPECT_EQ(formatDuration(1e12), "more than 100 years");
  EXPECT_EQ(formatDuration(std::numeric_limits<double>::infinity()),
            "more than 100 years");
  EXPECT_EQ(formatDuration(std::numeric_limits<double>::quiet_NaN()),
            "more than 100 years");
}

TEST(RunPlanTest, PlanLinesSayWhenNoEstimateCouldBeMade) {
  RunSettings settings;
  settings.ExactDistributions = false;
  const std::vector<std::string> lines =
      planLines(makeRunPlan(settings), std::nullopt);
  EXPECT_EQ(lines[1], "Systems: 5 (Matrix0/ ... Matrix4/)");
  EXPECT_EQ(lines[7], "Solver threads: 1");
  EXPECT_EQ(lines.back(), "Estimated run time: unknown (the calibration failed)");
  EXPECT_EQ(planLines(makeRunPlan(settings), 61.0).back(),
            "Estimated run time: 1m01s on this machine");
}

}  // namespace
}  // namespace linprob
