// The plan of a run from its settings, the estimate and the durations shown.
#include "cost/run_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

namespace linprob {
namespace {

TEST(RunPlanTest, CountsPhasesAndJobs) {
  RunSettings settings;  // 5 systems, 50 cells, n = 4
  RunPlan plan = makeRunPlan(RunConfig(settings));
  EXPECT_EQ(plan.phases(), 60u);
  EXPECT_EQ(plan.jobsPerPhase, 6250000u);
  EXPECT_EQ(plan.totalJobs(), 375000000u);
  EXPECT_EQ(plan.totalReplays(), 750000000.0);
  EXPECT_EQ(plan.eliminations(), 20u);

  settings.ExactDistributions = false;
  settings.SampleCount = 7;
  settings.MaxMatrix = 2;
  plan = makeRunPlan(RunConfig(settings));
  EXPECT_EQ(plan.jobsPerPhase, 7u);
  EXPECT_EQ(plan.totalJobs(), 2u * 12 * 7);

  // Counts below 1 give no system or no job.
  settings.SampleCount = -3;
  settings.MaxMatrix = -1;
  plan = makeRunPlan(RunConfig(settings));
  EXPECT_EQ(plan.phases(), 0u);
  EXPECT_EQ(plan.jobsPerPhase, 0u);
  settings.ExactDistributions = true;
  settings.IntegrationPrecision = 0;
  EXPECT_EQ(makeRunPlan(RunConfig(settings)).jobsPerPhase, 0u);

  // 2^63 jobs a phase fit 64 bits, 12 phases of them do not.
  settings.IntegrationPrecision = 2;
  settings.Dimensions = 63;
  settings.MaxMatrix = 1;
  plan = makeRunPlan(RunConfig(settings));
  EXPECT_EQ(plan.jobsPerPhase, std::uint64_t{1} << 63);
  EXPECT_FALSE(plan.totalJobs().has_value());
  settings.Dimensions = 64;
  EXPECT_EQ(makeRunPlan(RunConfig(settings)).jobsPerPhase,
            std::numeric_limits<std::uint64_t>::max());
}

TEST(RunPlanTest, EstimatesEveryStage) {
  RunSettings settings;
  settings.MaxMatrix = 2;
  settings.Dimensions = 2;
  settings.IntegrationPrecision = 10;
  RunPlan plan = makeRunPlan(RunConfig(settings));  // 24 phases of 100 jobs, 1 chunk
  EXPECT_EQ(plan.chunksPerPhase, 1u);
  RunCosts costs;
  costs.elapsedSeconds = 3.0;
  costs.secondsPerElimination = 0.5;
  costs.secondsPerReference = 8.0;
  costs.referencesKept = 1;
  costs.phaseSetupSeconds = 0.125;
  costs.secondsPerReplay = 0.25;
  costs.hardwareThreads = 4;
  costs.writerSecondsPerSystem = 16.0;
  // Powers of two: the sums are exact. One reference left, 8 eliminations,
  // 24 phases of a setup and 200 replays, 2 systems written.
  const double replays = 24 * (0.125 + 200 * 0.25);
  EXPECT_EQ(estimateSeconds(plan, costs), 3 + 8 + 8 * 0.5 + replays + 32);
  // A first pass that replays a quarter of the jobs: 1.25 replays a job.
  costs.replaysPerJob = 1.25;
  EXPECT_EQ(estimateSeconds(plan, costs),
            3 + 8 + 8 * 0.5 + 24 * (0.125 + 125 * 0.25) + 32);
  // One chunk: more threads take no less time.
  plan.solverThreads = 8;
  EXPECT_EQ(estimateSeconds(plan, costs),
            3 + 8 + 8 * 0.5 + 24 * (0.125 + 125 * 0.25) + 32);

  // Counted by halves: the first pass's quarter, then the model's seconds
  // (not scaled by the replay measured here), the two positions shared by
  // the threads.
  plan.solverThreads = 1;
  plan.counting.method = CountingMethod::kHalves;
  plan.counting.halvesSeconds = 1.0;
  plan.counting.replaySeconds = 8.0;
  EXPECT_EQ(estimateSeconds(plan, costs),
            3 + 8 + 8 * 0.5 + 24 * (0.125 + 25 * 0.25 + 1.0) + 32);
  plan.solverThreads = 8;
  EXPECT_EQ(estimateSeconds(plan, costs),
            3 + 8 + 8 * 0.5 + 24 * (0.125 + 25 * 0.25 + 0.5) + 32);

  // 6.25 M jobs in 50 chunks on 8 threads, 4 hardware threads: 50 / 13.
  EXPECT_EQ(makeRunPlan(RunConfig()).chunksPerPhase, 50u);
  EXPECT_EQ(phaseSpeedUp(50, 8, 4), 50.0 / 13.0);
  EXPECT_EQ(phaseSpeedUp(50, 2, 4), 2.0);
  EXPECT_EQ(phaseSpeedUp(3, 1024, 64), 3.0);
  EXPECT_EQ(phaseSpeedUp(0, 0, 0), 1.0);
  EXPECT_EQ(longRunLine(plan, 3600.0 * 25 + 60),
            "linprob: this run is estimated to take about 1d01h (24 phases "
            "of 100 jobs); it goes on");
  EXPECT_EQ(longRunLine(plan, 1e12),
            "linprob: this run is estimated to take more than 100 years (24 "
            "phases of 100 jobs); it goes on");
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

// The bundled example's phases are counted by halves; sampling has no
// counting line.
TEST(RunPlanTest, EnumerationSaysHowItCounts) {
  RunSettings settings;
  const RunPlan plan = makeRunPlan(RunConfig(settings));
  EXPECT_EQ(plan.counting.method, CountingMethod::kHalves);
  EXPECT_EQ(plan.counting.split, 2u);
  const std::vector<std::string> lines = planLines(plan, 2.0);
  ASSERT_EQ(lines.size(), 11u + 8);
  EXPECT_EQ(lines[8].rfind("Counting by halves: about ", 0), 0u) << lines[8];
  EXPECT_NE(lines[8].find("(parts of 2500 and 2500 sums per unknown"),
            std::string::npos);
  EXPECT_NE(lines[8].find(" (--counting auto; --halves-memory 1024 MiB)"),
            std::string::npos);

  // The options reach the plan: halves asked for but over their budget.
  settings.counting = CountingChoice::kHalves;
  settings.halvesMemory = std::uint64_t{1} << 20;
  const RunPlan small = makeRunPlan(RunConfig(settings));
  EXPECT_EQ(small.counting.method, CountingMethod::kReplay);
  EXPECT_EQ(planLines(small, 2.0)[8],
            "Replaying every job: counting by halves needs at least 1.18 MiB, "
            "over the budget of 1 MiB (--counting halves; --halves-memory 1 "
            "MiB)");

  settings.ExactDistributions = false;
  const RunPlan sampling = makeRunPlan(RunConfig(settings));
  EXPECT_EQ(sampling.counting.method, CountingMethod::kReplay);
  EXPECT_EQ(planLines(sampling, 2.0).size(), 10u + 8);
}

TEST(RunPlanTest, PlanLinesSayWhenNoEstimateCouldBeMade) {
  RunSettings settings;
  settings.ExactDistributions = false;
  const std::vector<std::string> lines =
      planLines(makeRunPlan(RunConfig(settings)), std::nullopt);
  EXPECT_EQ(lines[1], "Systems: 5 (Matrix0/ ... Matrix4/)");
  EXPECT_EQ(lines[7], "Solver threads: 1");
  EXPECT_EQ(lines[8].rfind("Memory at the peak: about ", 0), 0u);
  EXPECT_EQ(lines.back(), "Estimated run time: unknown (the calibration failed)");
  EXPECT_EQ(planLines(makeRunPlan(RunConfig(settings)), 61.0).back(),
            "Estimated run time: 1m01s on this machine");
}

// The jobs of a sampling phase are named by their points: the plan of
// --points sobol said "(random samples)".
TEST(RunPlanTest, NamesThePointsOfASamplingPhase) {
  RunSettings settings;
  settings.ExactDistributions = false;
  settings.SampleCount = 1000;
  EXPECT_EQ(planLines(makeRunPlan(RunConfig(settings)), 1.0)[5],
            "Jobs per phase: 1000 (random samples)");
  settings.points = PointKind::kSobol;
  EXPECT_EQ(planLines(makeRunPlan(RunConfig(settings)), 1.0)[5],
            "Jobs per phase: 1024 (sobol points: 16 independently scrambled "
            "sets of 64 Sobol' points)");
  settings.points = PointKind::kLatinHypercube;
  EXPECT_EQ(planLines(makeRunPlan(RunConfig(settings)), 1.0)[5],
            "Jobs per phase: 1008 (lhs points: 16 Latin hypercube designs of "
            "63 points)");
  // Enumeration's points are every combination, whatever --points says.
  settings.ExactDistributions = true;
  EXPECT_EQ(makeRunPlan(RunConfig(settings)).points, PointKind::kEnumeration);
}

TEST(RunPlanTest, MemoryBudgetLineSaysWhetherASamplingPhaseKeepsItsValues) {
  RunSettings settings;  // n = 4
  EXPECT_EQ(memoryBudgetLine(makeRunPlan(RunConfig(settings)), 512u << 20),
            "Memory budget: 512 MiB (--memory-budget) for the solved values "
            "a phase keeps between its passes");
  settings.ExactDistributions = false;
  settings.Dimensions = 500;
  settings.SampleCount = 10000;  // 10 blocks of 501 x 1024 values
  const RunPlan plan = makeRunPlan(RunConfig(settings));
  EXPECT_EQ(memoryBudgetLine(plan, 41u << 20),
            "Memory budget: 41 MiB (--memory-budget); a phase keeps its 40 MiB "
            "of solved values for its second pass");
  EXPECT_EQ(memoryBudgetLine(plan, 0),
            "Memory budget: 0 MiB (--memory-budget); a phase's 40 MiB of "
            "solved values exceed it: each sample is drawn and replayed "
            "twice");
  // 16 Latin hypercube designs of 1250 points keep 2 blocks each, 32 in
  // all, not the 20 that 20000 samples would fill end to end.
  settings.SampleCount = 20000;
  settings.points = PointKind::kLatinHypercube;
  EXPECT_EQ(memoryBudgetLine(makeRunPlan(RunConfig(settings)), 512u << 20),
            "Memory budget: 512 MiB (--memory-budget); a phase keeps its "
            "126 MiB of solved values for its second pass");
}

}  // namespace
}  // namespace linprob

namespace linprob {
namespace {

// After the line of the totals, --check names each kind of file the run
// writes with its estimate, the estimates in one column.
TEST(RunPlanTest, ListsEveryKindOfFileWithItsEstimate) {
  const auto filesOf = [](const RunConfig& config) {
    const std::vector<std::string> lines = planLines(makeRunPlan(config), 2.0);
    auto at = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
      return line.starts_with("Memory at the peak: about ");
    });
    EXPECT_NE(at, lines.end());
    std::vector<std::string> files;
    while (++at != lines.end() && at->starts_with("  ")) files.push_back(*at);
    return files;
  };
  const RunSettings example;
  EXPECT_EQ(filesOf(RunConfig(example)),
            (std::vector<std::string>{
                "  Matrix*/RESULTS_*.txt:  about 299 kB",
                "  Export/Results_X*.csv:  about 139 kB",
                "  Report/results.nc:      about 792 kB",
                "  Report/results.json:    about 933 kB",
                "  Report/bands.csv:       about 646 kB",
                "  Report/unknowns.csv:    about 277 kB",
                "  Report/sensitivity.csv: about 21 kB",
                "  Report/index.html:      about 1.3 MB"}));
  EXPECT_EQ(filesOf(RunConfig(example, ReportChoice::kSkipped)),
            (std::vector<std::string>{"  Matrix*/RESULTS_*.txt: about 299 kB",
                                      "  Export/Results_X*.csv: about 139 kB"}));
  // More systems than the index draws: their pages, the folder of a
  // sampling run's export.
  RunSettings many = example;
  many.MaxMatrix = 30;
  many.ExactDistributions = false;
  const std::vector<std::string> files = filesOf(RunConfig(many));
  ASSERT_EQ(files.size(), 9u);
  EXPECT_EQ(files[1].rfind("  ExportApprox/Results_X*.csv: about ", 0), 0u);
  EXPECT_EQ(files[8].rfind("  Report/systems/*:            about ", 0), 0u);
}

}  // namespace
}  // namespace linprob
