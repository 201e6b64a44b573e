// Phase seeds of a seeded run: fixed by their four inputs, and apart for any
// change of one of them.
#include "distributions/phase_seed.h"

#include <gtest/gtest.h>

#include <set>

namespace linprob {
namespace {

TEST(PhaseSeedTest, EveryPhaseOfEveryRunSeedHasItsOwnSeed) {
  std::set<std::uint64_t> seeds;
  int phases = 0;
  for (const std::uint64_t runSeed : {0ull, 1ull, 2ull, ~0ull}) {
    for (int system = 0; system < 6; ++system) {
      for (const PivotMode& mode : kPivotModes) {
        for (const FamilyInfo& family : kFamilies) {
          const std::uint64_t seed =
              phaseSeed(runSeed, system, mode, family.family);
          EXPECT_EQ(phaseSeed(runSeed, system, mode, family.family), seed);
          seeds.insert(seed);
          ++phases;
        }
      }
    }
  }
  EXPECT_EQ(seeds.size(), static_cast<std::size_t>(phases));
  // Swapped inputs (system 1 under mode 2, system 2 under mode 1) differ too.
  EXPECT_NE(phaseSeed(5, 1, kPivotModes[2], Family::kNormal),
            phaseSeed(5, 2, kPivotModes[1], Family::kNormal));
}

}  // namespace
}  // namespace linprob
