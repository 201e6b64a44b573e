// The start rank 0 announces to the other processes, as bytes: every
// setting and the status to end with come back as they left; and how a
// started process ends, alone on a stop every process meets.
// (Whole runs under mpirun: scripts/check_ranks.sh.)
#include "driver/run_ranks.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <vector>

#include "base/console.h"

namespace linprob {
namespace {

// Process 1 of 2, whose rank 0 starts the run; the end it comes to is
// thrown as its text, "left 130" or "aborted 130".
class SecondProcess final : public ProcessGroup {
 public:
  explicit SecondProcess(bool othersStop) : othersStop_(othersStop) {}
  int rank() const override { return 1; }
  int size() const override { return 2; }
  void broadcast(std::string& bytes) override {
    bytes = toBytes(RunStartNote{});
  }
  std::vector<std::vector<double>> allGather(
      const std::vector<double>& mine) override {
    return {mine, mine};
  }
  void sumAll(std::vector<std::uint64_t>&) override {}
  [[noreturn]] void abort(int status) override {
    throw std::runtime_error("aborted " + std::to_string(status));
  }
  void stopWaitingOn(std::stop_token) override {}
  bool allStopped(std::chrono::milliseconds) override {
    asked = true;
    return othersStop_;
  }
  [[noreturn]] void leave(int status) override {
    throw std::runtime_error("left " + std::to_string(status));
  }
  bool asked = false;

 private:
  bool othersStop_;
};

// How a started process ends on `status`, and what it says on standard
// error.
std::string endOf(SecondProcess& group, int status, std::string* said) {
  ::testing::internal::CaptureStderr();
  std::string end;
  {
    RunRanks ranks(&group);
    RunSettings settings;
    EXPECT_FALSE(ranks.awaitStart(settings, std::nullopt).has_value());
    try {
      end = std::to_string(ranks.end(status));
    } catch (const std::runtime_error& thrown) {
      end = thrown.what();
    }
  }
  *said = ::testing::internal::GetCapturedStderr();
  showLines(true);  // hidden by the RunRanks of a process other than rank 0
  return end;
}

// A stop that every process meets ends each alone with its own status; a
// stop the others do not meet, and any failure, end them all.
TEST(RunRanksTest, AStopEveryProcessMeetsEndsEachAlone) {
  std::string said;
  SecondProcess allStop(true);
  EXPECT_EQ(endOf(allStop, 130, &said), "left 130");
  EXPECT_EQ(said, "");
  SecondProcess aloneStopped(false);
  EXPECT_EQ(endOf(aloneStopped, 143, &said), "aborted 143");
  EXPECT_TRUE(aloneStopped.asked);
  EXPECT_EQ(said, "linprob: process 1 of 2 failed\n");
  SecondProcess failed(true);
  EXPECT_EQ(endOf(failed, 2, &said), "aborted 2");
  EXPECT_FALSE(failed.asked);
  SecondProcess done(true);
  EXPECT_EQ(endOf(done, 0, &said), "0");
}

TEST(RunRanksTest, TheStartComesBackAsItLeft) {
  RunStartNote note;
  note.settings = RunSettings{7,  3,  5,     11, 13, 17, false,
                              19, PointKind::kSobol, 3,  CountingChoice::kHalves,
                              std::uint64_t{23} << 20};
  const RunStartNote back = runStartFromBytes(toBytes(note));
  EXPECT_FALSE(back.endStatus.has_value());
  EXPECT_EQ(back.settings.Dimensions, 7u);
  EXPECT_EQ(back.settings.SolverThreadCount, 3);
  EXPECT_EQ(back.settings.GeneratorThreadCount, 5);
  EXPECT_EQ(back.settings.IntegrationPrecision, 11);
  EXPECT_EQ(back.settings.HistogramPrecision, 13);
  EXPECT_EQ(back.settings.MaxMatrix, 17);
  EXPECT_FALSE(back.settings.ExactDistributions);
  EXPECT_EQ(back.settings.SampleCount, 19);
  EXPECT_EQ(back.settings.points, PointKind::kSobol);
  EXPECT_EQ(back.settings.digits, 3);
  EXPECT_EQ(back.settings.counting, CountingChoice::kHalves);
  EXPECT_EQ(back.settings.halvesMemory, std::uint64_t{23} << 20);
  EXPECT_FALSE(runStartFromBytes(toBytes(RunStartNote{})).settings.digits);

  RunStartNote ended;
  ended.endStatus = 130;
  EXPECT_EQ(runStartFromBytes(toBytes(ended)).endStatus, 130);
  ended.endStatus = 0;
  EXPECT_EQ(runStartFromBytes(toBytes(ended)).endStatus, 0);

  try {
    (void)runStartFromBytes(toBytes(note).substr(0, 20));
    FAIL() << "no exception";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "run start: cut short");
  }
  EXPECT_THROW((void)runStartFromBytes(toBytes(note) + "x"),
               std::runtime_error);
}

}  // namespace
}  // namespace linprob
