#include "distributions/parameter_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace linprob {
namespace {

using Problems = std::vector<std::string>;

TEST(ParameterFilesTest, ParameterProblemsNameThePair) {
  EXPECT_EQ(checkParameters({0, 1, 5, -2}, 2, ParameterKind::kNormal),
            Problems{"pair 1 has a negative variance (-2)"});
  EXPECT_EQ(checkParameters({0, 1, 3, 1}, 2, ParameterKind::kBounds),
            Problems{"pair 1 has its lower end above its upper end (3 > 1)"});
  // Every faulty pair is reported, in order.
  EXPECT_EQ(checkParameters({0, -0.5, 1, 2, 4, -1e-3}, 3,
                            ParameterKind::kNormal),
            (Problems{"pair 0 has a negative variance (-0.5)",
                      "pair 2 has a negative variance (-0.001)"}));
}

TEST(ParameterFilesTest, SoundPairsGiveNoProblem) {
  // Zero variance, equal ends and numbers beyond the 2n checked are fine.
  EXPECT_TRUE(checkParameters({10, 4, 2, 0, -1, 0.5, 99, -5}, 3,
                              ParameterKind::kNormal)
                  .empty());
  EXPECT_TRUE(
      checkParameters({1, 3, 2, 2}, 2, ParameterKind::kBounds).empty());
}

// Every row has both functions, and its stand-in writes one entry's
// numbers that its own check takes (the cost model's made-up systems are
// checked by nothing else).
TEST(ParameterFilesTest, EveryKindHasItsCheckAndASoundStandIn) {
  for (const ParameterKindInfo& kind : kParameterKinds) {
    ASSERT_NE(kind.checkEntry, nullptr) << kind.file;
    ASSERT_NE(kind.standIn, nullptr) << kind.file;
    std::vector<double> numbers;
    kind.standIn(-1.5, 0.25, numbers);
    kind.standIn(3.0, 0.0, numbers);
    EXPECT_EQ(numbers.size(), parameterCount(kind.kind, numbers.size(), 2))
        << kind.file;
    EXPECT_GT(numbers.size(), 0u) << kind.file;
    EXPECT_TRUE(checkParameters(numbers, 2, kind.kind).empty()) << kind.file;
  }
}

}  // namespace
}  // namespace linprob
