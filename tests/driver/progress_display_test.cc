// The text of the progress line.
#include "driver/progress_display.h"

#include <gtest/gtest.h>

namespace linprob {
namespace {

ProgressSnapshot phaseOf(std::uint64_t jobs, std::uint64_t done) {
  ProgressSnapshot snapshot;
  snapshot.system = 2;
  snapshot.mode = "row";
  snapshot.family = "Normal";
  snapshot.jobs = jobs;
  snapshot.total = 2 * jobs;
  snapshot.done = done;
  return snapshot;
}

TEST(ProgressLineTest, ShowsShareRateAndTimesLeft) {
  // 4M jobs, 2M of their 8M replays made in 2 s: 1M replays, 500k jobs a
  // second, 6 s left.
  ProgressSnapshot snapshot = phaseOf(4000000, 2000000);
  snapshot.phaseSeconds = 2.0;
  // The run: 100M of 800M replays in 50 s, 350 s left at that rate.
  snapshot.runReplays = 800e6;
  snapshot.runReplaysDone = 100e6;
  snapshot.runSeconds = 50.0;
  EXPECT_EQ(progressLine(snapshot),
            "Matrix2, mode row, Normal: 25.0%, 500k jobs/s, 6s left "
            "(run: 5m50s)");

  // Rates in their own units; no run time once nothing is left.
  snapshot = phaseOf(1000, 1998);
  snapshot.phaseSeconds = 1.0;
  snapshot.runReplays = 1998.0;
  snapshot.runReplaysDone = 1998.0;
  snapshot.runSeconds = 1.0;
  EXPECT_EQ(progressLine(snapshot),
            "Matrix2, mode row, Normal: 99.9%, 999 jobs/s, 0s left");
  snapshot.phaseSeconds = 0.08;
  EXPECT_EQ(progressLine(snapshot),
            "Matrix2, mode row, Normal: 99.9%, 12.5k jobs/s, 0s left");
}

TEST(ProgressLineTest, ShowsOnlyTheShareBeforeAnyReplay) {
  ProgressSnapshot snapshot = phaseOf(1000, 0);
  snapshot.phaseSeconds = 3.0;
  EXPECT_EQ(progressLine(snapshot), "Matrix2, mode row, Normal: 0.0%");
  // Counts read while the phase starts: done before total was set.
  snapshot = phaseOf(0, 0);
  snapshot.done = 1024;
  snapshot.phaseSeconds = 1.0;
  EXPECT_EQ(progressLine(snapshot), "Matrix2, mode row, Normal: 0.0%");
}

}  // namespace
}  // namespace linprob
