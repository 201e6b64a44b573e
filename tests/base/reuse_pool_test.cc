#include "base/reuse_pool.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace linprob {
namespace {

using Buffer = std::vector<int>;

bool sizeThree(const Buffer& b) { return b.size() == 3; }

// A buffer given back is taken again while it fits; one take that does not
// fit drops every buffer of the old shape; more than `most` are not kept.
TEST(ReusePoolTest, KeepsOneShapeAndAtMostSoMany) {
  ReusePool<Buffer> pool(2);
  EXPECT_FALSE(pool.take(sizeThree).has_value());
  pool.give(Buffer{1, 2, 3});
  pool.give(Buffer{4, 5, 6});
  pool.give(Buffer{7, 8, 9});  // beyond two: freed
  EXPECT_EQ(pool.take(sizeThree), (Buffer{4, 5, 6}));
  pool.give(Buffer{4, 5, 6});
  EXPECT_FALSE(
      pool.take([](const Buffer& b) { return b.size() == 4; }).has_value());
  EXPECT_FALSE(pool.take(sizeThree).has_value());
}

}  // namespace
}  // namespace linprob
