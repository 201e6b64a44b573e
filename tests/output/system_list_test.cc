// The list of every system on the report page: each system's worst
// measures over its modes, families and unknowns, rounded up so that a
// value above a limit stays above it.
#include "output/system_list.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <utility>

#include <nlohmann/json.hpp>

#include "linear/pivot_mode.h"
#include "results/phase_result.h"
#include "results/phase_measures.h"
#include "results/position_measures.h"
#include "results/system_reference.h"

namespace linprob {
namespace {

TEST(SystemListTest, UpToThreeDigitsNeverRoundsDown) {
  EXPECT_EQ(upToThreeDigits(0.0123), 0.0123);        // already 3 digits
  EXPECT_EQ(upToThreeDigits(0.012301), 0.0124);
  EXPECT_EQ(upToThreeDigits(0.05), 0.05);            // a limit stays on it
  EXPECT_EQ(upToThreeDigits(0.0500000001), 0.0501);  // and above stays above
  EXPECT_EQ(upToThreeDigits(9.991), 10.0);           // carried into 10
  EXPECT_EQ(upToThreeDigits(9.9951), 10.0);          // printf's own carry
  EXPECT_EQ(upToThreeDigits(123456789.0), 124000000.0);
  EXPECT_EQ(upToThreeDigits(1e-300 * 1.0001), 1.01e-300);
  EXPECT_EQ(upToThreeDigits(0.0), 0.0);
  EXPECT_TRUE(std::isnan(upToThreeDigits(NAN)));
}

TEST(SystemListTest, WorstValuesAndFailuresOverModesFamiliesAndUnknowns) {
  ResultStore store(3, 2);
  SystemResult result;
  for (unsigned u = 0; u < 3; ++u) {
    result.columnOrder.push_back(u);
    result.plainReplay.push_back(0.5);
    result.plainReplayBounds.push_back(Interval(0.5));
    result.interval.push_back(Interval(0.0, 1.0));
  }
  for (const FamilyInfo& family : kFamilies) {
    // The families of a run whose systems have the files every
    // system has.
    if (!requiredFamilies().test(static_cast<std::size_t>(family.family))) continue;
    PhaseBands phase(3);
    for (auto& table : phase) {
      table.count = 4;
      table.min = 0.0;
      table.max = 1.0;
      layBorders(table, 4);
      for (double& mass : table.masses) mass = 0.25;
    }
    PhaseResult measured = makePhaseResult(family.family, std::move(phase),
                                           std::vector<NormalParameters>(3, {0.5, 0.01}),
                                           result.columnOrder);
    measurePhase(measured, SystemReference{});
    for (PositionResult& position : measured.positions) {
      position.measures.invalid->discrepancy->totalVariation = 0.01;
      position.measures.invalid->validation = GumValidation{0.1, 0.0, 0.0, true};
    }
    result.phases.push_back(std::move(measured));
  }
  // System 0: unknown 2 fails in one family of one mode, unknown 1 in two;
  // the worst total variation is in the last mode; forward errors and
  // overestimations differ by mode: unknown 0's point lies 2 + mode last
  // places (2^-53 each) above the true 0.5, unknown 1's interval is
  // 1.5 (mode + 1) times as wide as the hull [0.25, 0.75].
  for (const PivotMode& mode : kPivotModes) {
    SystemResult copy = result;
    copy.mode = mode;
    copy.plainReplay[0] = 0.5 + (2.0 + mode.index) * 0x1p-53;
    copy.interval[1] = Interval(0.0, 0.75 * (mode.index + 1));
    if (mode.index == 1) {
      copy.phases[0].positions[2].measures.invalid->validation->validated = false;
      copy.phases[1].positions[1].measures.invalid->validation->validated = false;
      copy.phases[2].positions[1].measures.invalid->validation->validated = false;
    }
    if (mode.index == 3) {
      copy.phases[2].positions[0].measures.invalid->discrepancy->totalVariation = 0.0512345;
    }
    store.add(copy);
    copy.system = 1;
    store.add(copy);
  }
  SystemReference reference;
  reference.n = 3;
  reference.exact = ExactReference{};
  reference.exact->conditionNumber = 12.345;
  reference.exact->trueSolution.assign(3, 0.5);
  reference.exact->hull.assign(3, ValueBounds{0.25, 0.75});
  store.addReference(reference);

  const SystemSummary summary = summarizeSystem(store, 0);
  EXPECT_EQ(summary.conditionNumber, 12.345);
  EXPECT_EQ(summary.worstInvalid, 0.0512345);
  EXPECT_FALSE(summary.worstExactLinear.has_value());
  EXPECT_EQ(summary.invalidFailures, 2);
  EXPECT_EQ(summary.exactLinearFailures, 0);
  EXPECT_EQ(summary.worstForwardErrorUlps, 5.0);
  EXPECT_EQ(summary.worstOverestimation, 6.0);

  // System 1 has no reference: no condition number, no forward error and
  // no overestimation (its true solution and hull are unknown).
  const SystemSummary without = summarizeSystem(store, 1);
  EXPECT_FALSE(without.conditionNumber.has_value());
  EXPECT_FALSE(without.worstForwardErrorUlps.has_value());
  EXPECT_FALSE(without.worstOverestimation.has_value());

  std::ostringstream out;
  writeSystemList(store, out);
  const nlohmann::json list = nlohmann::json::parse(out.str());
  EXPECT_EQ(list["rows"][0], nlohmann::json::parse("[0,12.4,0.0513,null,2,0,5,6]"));
  EXPECT_EQ(list["rows"][1], nlohmann::json::parse("[1,null,0.0513,null,2,0,null,null]"));
}

}  // namespace
}  // namespace linprob
