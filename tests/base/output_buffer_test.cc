#include "base/output_buffer.h"

#include <gtest/gtest.h>

#include <stop_token>
#include <string>

namespace linprob {
namespace {

TEST(OutputBufferTest, TextIsWholeUnlessAStopEndsItWithinABlock) {
  TextOutput whole;
  for (int k = 0; k < 100000; ++k) whole.stream() << k << '\n';
  EXPECT_TRUE(whole.stream());
  const std::string text = whole.take();
  EXPECT_EQ(text.substr(0, 4), "0\n1\n");
  EXPECT_EQ(text.substr(text.size() - 6), "99999\n");

  std::stop_source stop;
  TextOutput stopped(stop.get_token());
  stopped.stream() << "kept?";
  stop.request_stop();
  for (int k = 0; k < 100000; ++k) stopped.stream() << k << '\n';
  EXPECT_FALSE(stopped.stream());
  // Nothing after the stop reached the text: at most the block before it.
  EXPECT_LE(stopped.take().size(), OutputBuffer::kBlockBytes);
}

}  // namespace
}  // namespace linprob
