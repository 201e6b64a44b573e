// The start check keeps its eliminations for the run only within the
// budget, and what it keeps is what the run would have made itself.
#include "config/mode_eliminations.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "check/input_check.h"
#include "support/temp_dir.h"

namespace linprob {
namespace {

TEST(ModeEliminationsTest, KeptWhileEverySystemsFitTheBudget) {
  EXPECT_GT(keptEliminationBytes(4, 5), 0.0);
  EXPECT_GT(keptEliminationBytes(1000, 1), 100e6);
  EXPECT_EQ(keptEliminationBytes(1000, 3), 0.0);
  EXPECT_EQ(keptEliminationBytes(2000, 1), 0.0);
}

TEST(ModeEliminationsTest, TheCheckKeepsEachModeAsTheRunWouldEliminateIt) {
  const testing::TempDir dir;
  std::filesystem::create_directories(dir.path("Matrix0"));
  // Small leading entries: every mode but the first exchanges something.
  const std::string matrix = "0.001 2 3 1\n4 0.5 6 -2\n7 8 0.25 3\n1 -1 2 9\n";
  dir.write("Matrix0/Matice.txt", matrix);
  dir.write("Matrix0/RealRHS.txt", "1 2 3 4");
  dir.write("Matrix0/IntRHS.txt", "0 1 1 2 2 3 3 4");
  dir.write("Matrix0/NormalRHS.txt", "1 0.25 2 0.5 3 1 4 2");
  dir.write("Matrix0/UniformRHS.txt", "0 2 1 3 2 4 3 5");
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path(""));
  RunSettings settings;
  settings.Dimensions = 4;
  settings.IntegrationPrecision = 3;
  settings.MaxMatrix = 1;
  RunInputsCheck check = checkRunInputs(RunConfig(settings), 1);
  std::filesystem::current_path(before);
  ASSERT_TRUE(check.errors.empty());
  ASSERT_EQ(check.eliminated.size(), 1u);

  for (const PivotMode& mode : kPivotModes) {
    const auto& kept = check.eliminated[0][static_cast<std::size_t>(mode.index)];
    ASSERT_TRUE(kept) << mode.index;
    LinearSystem own = LinearSystem::fromRows(4, check.systems[0].matrix);
    own.eliminate(mode);
    EXPECT_EQ(kept->columnOrder(), own.columnOrder());
    EXPECT_EQ(std::bit_cast<std::uint64_t>(kept->pivotGrowth()),
              std::bit_cast<std::uint64_t>(own.pivotGrowth()));
    ASSERT_EQ(kept->steps().size(), own.steps().size());
    for (std::size_t s = 0; s < own.steps().size(); ++s) {
      const step& a = kept->steps()[s];
      const step& b = own.steps()[s];
      EXPECT_TRUE(a.type == b.type && a.first == b.first &&
                  a.second == b.second &&
                  std::bit_cast<std::uint64_t>(a.value) ==
                      std::bit_cast<std::uint64_t>(b.value))
          << "mode " << mode.index << ", step " << s;
    }
  }
}

}  // namespace
}  // namespace linprob
