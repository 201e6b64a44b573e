#include "linear/tiled_replay.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "linear/pivot_mode.h"
#include "linear/replay_schedule.h"
#include "linear/step_replay.h"
#include "support/same_bits.h"

namespace linprob {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A random n x n system eliminated under `mode`; with `zeros`, about every
// third entry is 0, so that pivots of 0 (and factors of inf and NaN) occur
// without pivoting.
LinearSystem randomSystem(unsigned n, const PivotMode& mode,
                          std::mt19937_64& random, bool zeros) {
  std::uniform_real_distribution<double> entry(-2.0, 2.0);
  LinearSystem system(n);
  for (unsigned c = 0; c < n; ++c) {
    for (unsigned r = 0; r < n; ++r) {
      system.setCoefficient(r, c,
                            zeros && random() % 3 == 0 ? 0.0 : entry(random));
    }
  }
  system.eliminate(mode);
  return system;
}

// `rows` rows of `stride` values, random with a few special ones mixed in.
std::vector<double> randomBlock(unsigned rows, std::size_t stride,
                                std::mt19937_64& random) {
  const double special[] = {0.0, -0.0, kInf, -kInf, kNaN, 1e300, -1e-310};
  std::uniform_real_distribution<double> value(-10.0, 10.0);
  std::vector<double> block(rows * stride);
  for (double& v : block) {
    v = random() % 97 == 0 ? special[random() % 7] : value(random);
  }
  return block;
}

// The tiled replay of `steps` on a copy of `block`, against replayBlock on
// another: every value, every lane past `lanes` too, must be the same.
void expectSameBits(const std::vector<step>& steps, unsigned n,
                    const std::vector<double>& block, std::size_t stride,
                    std::size_t lanes, const std::string& what) {
  const ReplaySchedule schedule(steps, n);
  ASSERT_TRUE(schedule.usable()) << what;
  std::vector<double> expected = block;
  std::vector<double> actual = block;
  replayBlock(expected.data(), stride, lanes, steps);
  replayScheduled(schedule, actual.data(), stride, lanes);
  for (std::size_t at = 0; at < block.size(); ++at) {
    ASSERT_TRUE(sameBits(expected[at], actual[at]))
        << what << ", entry " << at / stride << ", lane " << at % stride
        << ": " << expected[at] << " expected, " << actual[at];
  }
}

TEST(TiledReplayTest, EveryModeSizeAndLaneCountGivesTheReplaysBits) {
  std::mt19937_64 random(20);
  // Sizes around the panel height (4) and the group width (8), tiles of one
  // group up to whole blocks, and lane counts that leave ragged groups and
  // tiles, with and without room past the lanes.
  const unsigned sizes[] = {1, 2, 3, 4, 5, 7, 8, 9, 13, 31, 64, 130, 257};
  const std::size_t laneCounts[] = {1, 7, 9, 64, 1000};
  for (const unsigned n : sizes) {
    for (const PivotMode& mode : kPivotModes) {
      const LinearSystem system = randomSystem(n, mode, random, false);
      for (const std::size_t lanes : laneCounts) {
        const std::size_t stride = lanes + (lanes % 2) * 5;
        const std::vector<double> block = randomBlock(n, stride, random);
        expectSameBits(system.steps(), n, block, stride, lanes,
                       "n = " + std::to_string(n) + ", " + mode.label + ", " +
                           std::to_string(lanes) + " lanes");
      }
    }
  }
}

TEST(TiledReplayTest, ZeroPivotsPropagateInfinitiesAndNaNsAsTheReplayDoes) {
  std::mt19937_64 random(21);
  for (const unsigned n : {2u, 6u, 17u, 40u}) {
    for (const PivotMode& mode : kPivotModes) {
      const LinearSystem system = randomSystem(n, mode, random, true);
      const std::vector<double> block = randomBlock(n, 24, random);
      expectSameBits(system.steps(), n, block, 24, 24,
                     "zeros, n = " + std::to_string(n) + ", " + mode.label);
    }
  }
  // A singular system: the second pivot is exactly 0.
  LinearSystem singular = LinearSystem::fromRows(2, {1, 1, 1, 1});
  singular.eliminate(kPivotModes[0]);
  expectSameBits(singular.steps(), 2, {1, -0.0, 0.0, 1, 1, -0.0}, 3, 3,
                 "singular");
}

TEST(TiledReplayTest, NegativeZeroFactorsKeepTheirSign) {
  // A diagonal matrix records every factor as -0.0; added to a -0.0 entry,
  // a product of -0.0 stays -0.0 where one of +0.0 would give +0.0.
  for (const unsigned n : {3u, 9u, 20u}) {
    LinearSystem diagonal(n);
    for (unsigned k = 0; k < n; ++k) {
      diagonal.setCoefficient(k, k, k % 2 ? -2.0 : 0.5);
    }
    diagonal.eliminate(kPivotModes[0]);
    std::vector<double> block(n * 16, -0.0);
    for (std::size_t at = 0; at < block.size(); at += 3) block[at] = 1.0;
    expectSameBits(diagonal.steps(), n, block, 16, 16,
                   "diagonal, n = " + std::to_string(n));
  }
}

TEST(TiledReplayTest, ARegroupedStepListGivesTheSameBits) {
  // The forward combinations of different targets interleave differently,
  // and an exchange of untouched rows comes early: each element still sees
  // its own operations in the same order.
  std::mt19937_64 random(22);
  LinearSystem system = randomSystem(5, kPivotModes[0], random, false);
  std::vector<step> steps = system.steps();
  // Steps 0 ... 3 carry row 0 into rows 1 ... 4, step 4 row 1 into row 2:
  // row 2's and row 4's turns may pass each other.
  std::swap(steps[3], steps[4]);
  steps.insert(steps.begin(), step{StepKind::kExchange, 0, 1, kColumnExchange});
  const std::vector<double> block = randomBlock(5, 9, random);
  expectSameBits(steps, 5, block, 9, 9, "regrouped");
}

TEST(TiledReplayTest, StepListsThatAreNoEliminationAreRefused) {
  std::mt19937_64 random(23);
  const LinearSystem system = randomSystem(4, kPivotModes[3], random, false);
  const std::vector<step>& steps = system.steps();
  EXPECT_TRUE(ReplaySchedule(steps, 4).usable());
  EXPECT_FALSE(ReplaySchedule(steps, 0).usable());
  EXPECT_FALSE(ReplaySchedule({}, 3).usable());

  auto refused = [](std::vector<step> changed, const char* what) {
    EXPECT_FALSE(ReplaySchedule(changed, 4).usable()) << what;
  };
  // Without row exchanges, the first combinations are 0 -> 1, 0 -> 2, ...
  LinearSystem plain = randomSystem(4, kPivotModes[0], random, false);
  std::vector<step> changed = plain.steps();
  changed.erase(changed.begin() + 1);
  refused(changed, "a missing combination");
  changed = plain.steps();
  changed.insert(changed.begin() + 1, changed[0]);
  refused(changed, "a repeated combination");
  changed = plain.steps();
  // 0 -> 1 and 1 -> 2 sit at 0 and 3: row 1 used before it is final.
  std::swap(changed[0], changed[3]);
  refused(changed, "a source read too early");
  changed = plain.steps();
  changed.push_back(step{StepKind::kScaling, 0, 0, 2.0});
  refused(changed, "a second scaling");
  changed = plain.steps();
  changed.back().first = 4;
  refused(changed, "a row out of range");
  changed = plain.steps();
  changed[2].type = static_cast<StepKind>(7);
  refused(changed, "an invalid step kind");
  changed = plain.steps();
  // The list ends with 1 -> 0, scaling 1, scaling 0: row 1 scaled before
  // it is added into row 0 changes what is added.
  std::swap(changed[changed.size() - 3], changed[changed.size() - 2]);
  refused(changed, "a scaling too early");
}

}  // namespace
}  // namespace linprob
