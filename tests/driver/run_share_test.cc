// The start rank 0 announces to the other processes, as bytes: every
// setting and the status to end with come back as they left.
// (Whole runs under mpirun: scripts/check_ranks.sh.)
#include "driver/run_share.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace linprob {
namespace {

TEST(RunShareTest, TheStartComesBackAsItLeft) {
  RunStartNote note;
  note.settings = RunSettings{7,  3,  5,     11, 13, 17, false,
                              19, PointSet::kSobol, 3,  CountingChoice::kHalves,
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
  EXPECT_EQ(back.settings.points, PointSet::kSobol);
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
