#include "output/summary_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "linear/linear_system.h"
#include "linear/step_replay.h"
#include "support/phase_text.h"

namespace linprob {
namespace {

using testing::invalidText;
using testing::phaseOfSamples;
using testing::SampleTable;
using testing::validText;

double up(double x, int ulps) {
  for (int k = 0; k < ulps; ++k) x = std::nextafter(x, 2.0 * x + 1.0);
  return x;
}

TEST(SummaryFileTest, BoundsFollowPositionsAndNameTheUnknowns) {
  // Rows 1 2 and 0 1 with column pivoting: columns 0 and 1 are exchanged at
  // once, so position 0 holds unknown 1. The solution is x0 = 1, x1 = 2.
  LinearSystem system(2);
  system = LinearSystem::fromRows(2, {1, 2, 0, 1});
  system.eliminate(kPivotModes[2]);
  ASSERT_EQ(system.columnOrder(), (std::vector<unsigned>{1, 0}));
  std::vector<Interval> solution{Interval(5), Interval(2)};
  replaySteps(solution, system.steps());
  std::ostringstream out;
  printBounds(solution, system.columnOrder(), out);
  EXPECT_EQ(out.str(),
            "Variable number 1 has bounds: 2 to 2\n"
            "Variable number 0 has bounds: 1 to 1\n");
}

TEST(SummaryFileTest, NumbersUseTheDefaultSixDigitFormat) {
  const double third = 1.0 / 3.0;
  // Two bounds one rounding step apart print as the same text.
  const std::vector<Interval> solution{
      Interval(third, std::nextafter(third, 1.0)), Interval(1e-7, 2.5e6),
      Interval(-1234567.0, 100000.0)};
  std::ostringstream out;
  printBounds(solution, {0, 1, 2}, out);
  EXPECT_EQ(out.str(),
            "Variable number 0 has bounds: 0.333333 to 0.333333\n"
            "Variable number 1 has bounds: 1e-07 to 2.5e+06\n"
            "Variable number 2 has bounds: -1.23457e+06 to 100000\n");
}

// Four samples 0, 1, 1, 4 of weight 0.25 in four bands: the value 4 closes
// band 1 and two empty bands before it lands in band 4.
TEST(SummaryFileTest, WorkedExamplePrintsEveryBand) {
  EXPECT_EQ(validText(phaseOfSamples(
                {{{0, 0.25}, {1, 0.25}, {1, 0.25}, {4, 0.25}}}, 4, {0})),
            "Showing probabilities for variable number 0\n"
            "<0 : 0\n"
            "0 to 1 : P=0.75\n"
            "1 to 2 : P=0\n"
            "2 to 3 : P=0\n"
            "3 to 4 : P=0.25\n");
}

TEST(SummaryFileTest, EqualSamplesMakeOneBandAndOnlyTheTails) {
  const auto phase =
      phaseOfSamples({{{3, 0.5}, {3, 0.25}, {3, 0.25}}}, 10, {0}, {{2.0, 1.0}});
  EXPECT_EQ(validText(phase),
            "Showing probabilities for variable number 0\n"
            "<3 : 0\n"
            "3 to 3 : P=1\n");
  EXPECT_EQ(invalidText(phase),
            "Showing INVALID probabilities for variable number 0\n"
            "Lower than 3 : 0.841345\n"
            "More than 3 : 0.158655\n");
}

TEST(SummaryFileTest, ValueOnABorderBelongsToTheLowerBand) {
  EXPECT_EQ(validText(phaseOfSamples(
                {{{0, 0.125}, {1, 0.25}, {1, 0.125}, {2, 0.5}}}, 2, {0})),
            "Showing probabilities for variable number 0\n"
            "<0 : 0\n"
            "0 to 1 : P=0.5\n"
            "1 to 2 : P=0.5\n");
}

// 0.1 added ten times to 0 gives 0.9999999999999999, just below Max = 1, so
// an eleventh band holds the largest sample.
TEST(SummaryFileTest, EleventhBandWhenTheTenthBorderRoundsBelowMax) {
  EXPECT_EQ(validText(phaseOfSamples({{{0, 0.25}, {0.25, 0.25}, {1, 0.5}}},
                                     10, {0})),
            "Showing probabilities for variable number 0\n"
            "<0 : 0\n"
            "0 to 0.1 : P=0.25\n"
            "0.1 to 0.2 : P=0\n"
            "0.2 to 0.3 : P=0.25\n"
            "0.3 to 0.4 : P=0\n"
            "0.4 to 0.5 : P=0\n"
            "0.5 to 0.6 : P=0\n"
            "0.6 to 0.7 : P=0\n"
            "0.7 to 0.8 : P=0\n"
            "0.8 to 0.9 : P=0\n"
            "0.9 to 1 : P=0\n"
            "1 to 1.1 : P=0.5\n");
}

// Min = 1, Max two ulps above: step no longer moves a border, and the walk
// must still end, with every sample in its one band.
TEST(SummaryFileTest, BordersThatDoNotMoveEndTheWalk) {
  const double max = up(1.0, 2);
  EXPECT_EQ(validText(phaseOfSamples(
                {{{1, 0.25}, {up(1.0, 1), 0.25}, {max, 0.5}}}, 10, {0})),
            "Showing probabilities for variable number 0\n"
            "<1 : 0\n"
            "1 to 1 : P=1\n");
}

TEST(SummaryFileTest, ApproximationPrintsBothTailsAndTheBands) {
  EXPECT_EQ(invalidText(phaseOfSamples({{{-2, 0.5}, {2, 0.5}}}, 2, {0},
                                       {{0.0, 4.0}})),
            "Showing INVALID probabilities for variable number 0\n"
            "Lower than -2 : 0.158655\n"
            "-2 to 0 : 0.341345\n"
            "0 to 2 : 0.341345\n"
            "More than 2 : 0.158655\n");
}

TEST(SummaryFileTest, ZeroVarianceIsAPointMassAtTheMean) {
  EXPECT_EQ(invalidText(phaseOfSamples({{{0, 0.5}, {2, 0.5}}}, 2, {0},
                                       {{1.0, 0.0}})),
            "Showing INVALID probabilities for variable number 0\n"
            "Lower than 0 : 0\n"
            "0 to 1 : 1\n"
            "1 to 2 : 0\n"
            "More than 2 : 0\n");
}

// Position 0 holds unknown 2 and position 2 unknown 0; position 1 (unknown
// 1) solved nothing.
TEST(SummaryFileTest, PositionsMapThroughColumnOrderAndEmptyOnesAreNamed) {
  EXPECT_EQ(validText(phaseOfSamples({{{5, 1}}, {}, {{-1, 0.5}, {1, 0.5}}}, 1,
                                     {2, 1, 0})),
            "Showing probabilities for variable number 2\n"
            "<5 : 0\n"
            "5 to 5 : P=1\n"
            "No samples were solved for variable number 1.\n"
            "Showing probabilities for variable number 0\n"
            "<-1 : 0\n"
            "-1 to 1 : P=1\n");
}

// Position i holds unknown 2 - i. Unknown 1 solved nothing; the others have
// moments without a normal distribution.
TEST(SummaryFileTest, PositionsWithoutApproximationAreNamed) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const SampleTable table{{{0, 1}}, {}, {{0, 0.5}, {1, 0.5}}, {{0, 1}}};
  EXPECT_EQ(invalidText(phaseOfSamples(
                table, 2, {2, 1, 0, 3},
                {{0, inf}, {0, 1}, {nan, 1}, {0, -1}})),
            "No normal approximation exists for variable number 2: its mean "
            "or variance is not finite.\n"
            "No samples were solved for variable number 1.\n"
            "No normal approximation exists for variable number 0: its mean "
            "or variance is not finite.\n"
            "No normal approximation exists for variable number 3: its "
            "variance is negative.\n");
}

TEST(SummaryFileTest, WholeFileHoldsTheSectionsInOrder) {
  SystemResult result;
  result.columnOrder = {0};
  // The exact values are the bounds of the interval replay, not the point.
  result.plainReplay = {1.625};
  result.plainReplayBounds = {Interval(1.5, 1.75)};
  result.interval = {Interval(1.0, 2.0)};
  for (const FamilyInfo& family : kFamilies) {
    // The families of a run whose systems have the files every
    // system has.
    if (!requiredFamilies().test(static_cast<std::size_t>(family.family))) continue;
    PhaseResult phase = phaseOfSamples({{{1, 0.5}, {2, 0.5}}}, 1, {0},
                                       {{1.5, 0.25}});
    phase.family = family.family;
    result.phases.push_back(phase);
  }
  std::ostringstream out;
  writeSummary(result, out);
  const std::string valid =
      "Showing probabilities for variable number 0\n<1 : 0\n1 to 2 : P=1\n";
  const std::string invalid =
      "Showing INVALID probabilities for variable number 0\n"
      "Lower than 1 : 0.158655\n1 to 2 : 0.682689\nMore than 2 : 0.158655\n";
  EXPECT_EQ(out.str(),
            "\nExact values\nVariable number 0 has bounds: 1.5 to 1.75\n"
            "\nInterval arithmetic values\n"
            "Variable number 0 has bounds: 1 to 2\n"
            "\nResults for the Triangluar distribution:\n" + valid +
            "\nINVALID Results for the Triangular distribution:\n" + invalid +
            "\nResults for the Normal distribution:\n" + valid +
            "\nINVALID Results for the Normal distribution:\n" + invalid +
            "\nResults for the Uniform distribution:\n" + valid +
            "\nINVALID Results for the Uniform distribution:\n" + invalid);
}

// Under --digits a phase states the samples it used after its VALID header,
// and how its rounds ended; without it nothing is added.
TEST(SummaryFileTest, DigitsPhasesStateTheSamplesTheyUsed) {
  SystemResult result;
  result.columnOrder = {0};
  result.plainReplay = {1.5};
  result.plainReplayBounds = {Interval(1.5)};
  result.interval = {Interval(1.0, 2.0)};
  PhaseResult phase =
      phaseOfSamples({{{1, 0.5}, {2, 0.5}}}, 1, {0}, {{1.5, 0.25}});
  phase.positions[0].valid.count = 16384;
  phase.family = Family::kNormal;
  result.phases.push_back(phase);
  phase.digits = DigitsStop{2, 100000, DigitsEnd::kRuleMet, {}};
  result.phases.push_back(phase);
  phase.digits = DigitsStop{4, 20000, DigitsEnd::kCeilingReached, {}};
  result.phases.push_back(phase);
  std::ostringstream out;
  writeSummary(result, out);
  const std::string header = "\nResults for the Normal distribution:\n";
  const std::string text = out.str();
  std::vector<std::string> after;
  for (std::size_t at = text.find(header); at != std::string::npos;
       at = text.find(header, at + 1)) {
    const std::size_t from = at + header.size();
    after.push_back(text.substr(from, text.find('\n', from) - from));
  }
  EXPECT_EQ(after, (std::vector<std::string>{
                       "Showing probabilities for variable number 0",
                       "Samples used: 16384, where the --digits 2 rule was "
                       "met (at most 100000).",
                       "Samples used: 16384, the most allowed (20000); the "
                       "--digits 4 rule was not met."}));
}

}  // namespace
}  // namespace linprob
