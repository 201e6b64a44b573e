#include "results/system_result.h"

#include <gtest/gtest.h>

#include <limits>

namespace linprob {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// A finite result of two unknowns, complete pivoting having swapped them,
// with one phase whose positions hold a table and an approximation each.
SystemResult finiteResult() {
  SystemResult result;
  result.columnOrder = {1, 0};
  result.plainReplay = {1.0, 2.0};
  result.plainReplayBounds = {Interval(1.0), Interval(2.0)};
  result.interval = {Interval(0.0, 1.0), Interval(1.0, 3.0)};
  PhaseResult phase;
  phase.family = Family::kNormal;
  for (const unsigned unknown : {1u, 0u}) {
    PositionResult position;
    position.unknown = unknown;
    position.valid.count = 4;
    position.valid.min = 0.0;
    position.valid.max = 1.0;
    position.valid.step = 1.0;
    position.valid.borders = {1.0};
    position.valid.masses = {1.0};
    position.moments = NormalParameters{0.5, 0.25};
    position.invalid.masses = {0.5};
    phase.positions.push_back(position);
  }
  result.phases.push_back(phase);
  return result;
}

TEST(SystemResultTest, NamesTheFirstNumberThatIsNotFinite) {
  EXPECT_FALSE(findNonFinite(finiteResult()).has_value());

  SystemResult exact = finiteResult();
  exact.plainReplayBounds[1] = Interval(-kInf, -kInf);
  EXPECT_EQ(findNonFinite(exact), "the exact value of unknown 0");
  SystemResult point = finiteResult();
  point.plainReplay[0] = std::nan("");
  EXPECT_EQ(findNonFinite(point), "the exact value of unknown 1");

  SystemResult valid = finiteResult();
  valid.phases[0].positions[0].valid.masses[0] = std::nan("");
  EXPECT_EQ(findNonFinite(valid), "the Normal family's VALID table of unknown 1");

  SystemResult moments = finiteResult();
  moments.phases[0].positions[1].moments.variance = kInf;
  EXPECT_EQ(findNonFinite(moments),
            "the Normal family's mean or variance of unknown 0");

  SystemResult invalid = finiteResult();
  invalid.phases[0].positions[1].invalid.upperTail = std::nan("");
  EXPECT_EQ(findNonFinite(invalid),
            "the Normal family's INVALID table of unknown 0");
}

}  // namespace
}  // namespace linprob
