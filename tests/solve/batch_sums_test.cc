#include "solve/batch_sums.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace linprob {
namespace {

TEST(BatchSums, HistogramsShrinkToStayWithinTheirMemory) {
  EXPECT_EQ(BatchSums::subBandsFor(4, 16), kFineSubBands);
  EXPECT_EQ(BatchSums::subBandsFor(64, 16), 8192u);
  EXPECT_EQ(BatchSums::subBandsFor(512, 256), 1024u);
  const PhaseBands none;
  const CountLayout layout(none, {});
  try {
    BatchSums odd(layout, 2, 3000);
    ADD_FAILURE();
  } catch (const std::invalid_argument& error) {
    EXPECT_STREQ(error.what(),
                 "batch sums: 3000 sub-bands do not divide 16384");
  }
  BatchSums empty(layout, 2, 1024);
  try {
    empty.addFineCounts({1, 2});
    ADD_FAILURE();
  } catch (const std::invalid_argument& error) {
    EXPECT_STREQ(error.what(), "batch sums: fine counts of another shape");
  }
}

}  // namespace
}  // namespace linprob
