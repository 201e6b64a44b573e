// Console lines: job lines can be hidden, and the status line on standard
// error gives way to every printed line and never reaches standard output.
#include "base/console.h"

#include <gtest/gtest.h>

#include <string>

namespace linprob {
namespace {

using ::testing::internal::CaptureStderr;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStderr;
using ::testing::internal::GetCapturedStdout;

TEST(ConsoleTest, HidesOnlyTheJobLines) {
  CaptureStdout();
  printJobLine("Solver Thread Started!");
  showJobLines(false);
  EXPECT_FALSE(jobLinesShown());
  printJobLine("Stopper found.");
  printLine("Matrix index: 0");
  showJobLines(true);
  printJobLine("Stopper inserted");
  EXPECT_EQ(GetCapturedStdout(),
            "Solver Thread Started!\nMatrix index: 0\nStopper inserted\n");
}

TEST(ConsoleTest, TheStatusLineGivesWayToPrintedLines) {
  CaptureStdout();
  CaptureStderr();
  drawStatusLine("phase 1: 10%");
  drawStatusLine("phase 1: 9%");  // shorter: a blank covers the rest
  printLine("a line");
  clearStatusLine();
  clearStatusLine();  // nothing left to erase
  printLine("another");
  EXPECT_EQ(GetCapturedStdout(), "a line\nanother\n");
  EXPECT_EQ(GetCapturedStderr(),
            "\rphase 1: 10%"
            "\rphase 1: 9% "
            "\r           \r"  // erased before "a line"
            "\rphase 1: 9%"    // and drawn again after it
            "\r           \r");
}

}  // namespace
}  // namespace linprob
