// Inputs handed over in memory are checked as the files' numbers are, each
// problem named by the file that would have held it.
#include "check/given_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "distributions/parameter_files.h"

namespace linprob {
namespace {

// The sound two-unknown system of the files' check, as numbers.
SystemNumbers soundSystem() {
  SystemNumbers numbers;
  numbers.matrix = {2, 1, 1, 3};
  numbers.rhs = {3, 4};
  numbers.intervalRhs = {{2, 4}, {3, 5}};
  numbers.parametersOf(ParameterKind::kNormal) = {3, 1, 4, 1};
  numbers.parametersOf(ParameterKind::kBounds) = {2, 4, 3, 5};
  return numbers;
}

RunConfig twoSystemsOfTwoUnknowns() {
  RunSettings settings;
  settings.Dimensions = 2;
  settings.MaxMatrix = 2;
  settings.IntegrationPrecision = 3;
  return RunConfig(settings);
}

TEST(GivenCheckTest, SoundNumbersBecomeTheRunsInputs) {
  std::vector<SystemNumbers> given = {soundSystem(), soundSystem()};
  const RunInputsCheck check =
      checkGivenInputs(twoSystemsOfTwoUnknowns(), std::move(given));
  EXPECT_TRUE(check.errors.empty());
  ASSERT_EQ(check.systems.size(), 2u);
  EXPECT_EQ(check.systems[1].system, 1);
  EXPECT_EQ(check.systems[1].n, 2u);
  EXPECT_EQ(check.systems[1].matrix, (std::vector<double>{2, 1, 1, 3}));
  EXPECT_EQ(check.systems[1].parametersOf(ParameterKind::kBounds),
            (std::vector<double>{2, 4, 3, 5}));
  ASSERT_EQ(check.eliminated.size(), 2u);
  EXPECT_TRUE(check.eliminated[0][0].has_value());
}

TEST(GivenCheckTest, NamesEachProblemByTheFileThatWouldHoldIt) {
  std::vector<SystemNumbers> given = {soundSystem(), soundSystem()};
  given[0].matrix.pop_back();
  given[0].rhs[1] = std::nan("");
  given[0].intervalRhs[1] = {5, 3};
  given[1].parametersOf(ParameterKind::kNormal)[3] = -2;
  given[1].parametersOf(ParameterKind::kBounds)[2] = INFINITY;
  const RunInputsCheck check =
      checkGivenInputs(twoSystemsOfTwoUnknowns(), std::move(given));
  EXPECT_EQ(check.errors,
            (std::vector<std::string>{
                "Matrix0/Matice.txt: holds 3 numbers, not 4",
                "Matrix0/RealRHS.txt: number 1 is not finite (nan)",
                "Matrix0/IntRHS.txt: pair 1 has its lower end above its "
                "upper end (5 > 3)",
                "Matrix1/NormalRHS.txt: pair 1 has a negative variance (-2)",
                "Matrix1/UniformRHS.txt: number 2 is not finite (inf)",
            }));
  EXPECT_TRUE(check.systems.empty());
}

TEST(GivenCheckTest, RefusesACountOfSystemsOtherThanMaxMatrix) {
  std::vector<SystemNumbers> given = {soundSystem()};
  const RunInputsCheck check =
      checkGivenInputs(twoSystemsOfTwoUnknowns(), std::move(given));
  EXPECT_EQ(check.errors, (std::vector<std::string>{
                              "the run is given 1 system, not MaxMatrix 2"}));
}

}  // namespace
}  // namespace linprob
