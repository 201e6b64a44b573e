#include "base/packed_bytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace linprob {
namespace {

std::string packed() {
  BytePacker out;
  out.putCount(7);
  out.putInteger(-3);
  out.putNumbers(std::vector<double>{1.5, -0.0, 1e-310});
  out.putNumbers(nullptr, 0);
  return out.bytes();
}

TEST(PackedBytes, ValuesComeBackInTheirOrderAndBits) {
  const std::string bytes = packed();
  ByteUnpacker in(bytes, "cut");
  EXPECT_EQ(in.count(), 7u);
  EXPECT_EQ(in.integer(), -3);
  const std::vector<double> numbers = in.numbers();
  ASSERT_EQ(numbers.size(), 3u);
  EXPECT_EQ(numbers[0], 1.5);
  EXPECT_TRUE(std::signbit(numbers[1]));
  EXPECT_EQ(numbers[2], 1e-310);
  EXPECT_TRUE(in.numbers().empty());
  EXPECT_NO_THROW(in.finish());
}

// Every shorter prefix is refused with the reader's message, and so are
// bytes beyond the last value and a count beyond what is left.
TEST(PackedBytes, BytesThatDoNotFitAreRefused) {
  const std::string bytes = packed();
  auto readAll = [](const std::string& some) {
    ByteUnpacker in(some, "system inputs: cut short");
    (void)in.count();
    (void)in.integer();
    (void)in.numbers();
    (void)in.numbers();
    in.finish();
  };
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    try {
      readAll(bytes.substr(0, size));
      ADD_FAILURE() << size << " bytes were read";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "system inputs: cut short") << size;
    }
  }
  EXPECT_THROW(readAll(bytes + "x"), std::runtime_error);

  BytePacker huge;
  huge.putCount(std::numeric_limits<std::uint64_t>::max() / 8);
  ByteUnpacker in(huge.bytes(), "cut");
  EXPECT_THROW((void)in.numbers(), std::runtime_error);
}

}  // namespace
}  // namespace linprob
