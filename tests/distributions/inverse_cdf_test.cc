#include "distributions/inverse_cdf.h"
#include "support/pair_entries.h"

#include <gtest/gtest.h>

#include <vector>

namespace linprob {
namespace {

TEST(InverseCdf, MapsEachEntryWithItsParameters) {
  // Normal (10, 4), a constant 7 (variance 0), a triangle and a uniform.
  const InverseCdf normal(familyInfo(Family::kNormal),
                          EntryParameters{2, {10.0, 4.0, 7.0, 0.0}});
  const InverseCdf triangle(familyInfo(Family::kTriangular),
                            EntryParameters{2, {2.0, 6.0}});
  const InverseCdf uniform(familyInfo(Family::kUniform),
                           EntryParameters{2, {-1.0, 3.0, 5.0, 5.0}});
  std::vector<double> v = {0.975, 0.5};
  normal.map(0, v.data(), v.size());
  EXPECT_NEAR(v[0], 10.0 + 2.0 * 1.959963984540054, 1e-13);
  EXPECT_EQ(v[1], 10.0);
  normal.map(1, v.data(), v.size());
  EXPECT_EQ(v, (std::vector<double>{7.0, 7.0}));
  v = {0.125, 0.875};
  triangle.map(0, v.data(), v.size());
  EXPECT_EQ(v, (std::vector<double>{3.0, 5.0}));
  v = {0.25, 0.75};
  uniform.map(0, v.data(), v.size());
  EXPECT_EQ(v, (std::vector<double>{0.0, 2.0}));
  uniform.map(1, v.data(), v.size());
  EXPECT_EQ(v, (std::vector<double>{5.0, 5.0}));
}

// A family's row maps one value as InverseCdf maps its entries, and a
// family that draws through its quantile is mapped by it alone.
TEST(InverseCdf, EveryRowsQuantileIsWhatTheEntriesAreMappedBy) {
  // Positive first numbers: every family's entries, the lognormal's too.
  const std::vector<double> first = {1.0, 2.0, 0.5};
  const std::vector<double> second = {3.0, 2.0, 0.75};
  const std::vector<double> points = {1e-9, 0.1, 0.5, 0.7, 1.0 - 1e-9};
  FamilyInfo square = kFamilies[0];
  square.quantile = [](EntryNumbers entry, double u) {
    return entry[0] + entry[1] * u * u;
  };
  square.draw = SampleDraw::kQuantile;
  std::vector<FamilyInfo> rows(kFamilies.begin(), kFamilies.end());
  rows.push_back(square);
  for (const FamilyInfo& row : rows) {
    const EntryParameters entries = testing::pairEntries(first, second);
    const InverseCdf inverse(row, entries);
    for (unsigned e = 0; e < first.size(); ++e) {
      std::vector<double> v = points;
      inverse.map(e, v.data(), v.size());
      for (std::size_t k = 0; k < points.size(); ++k) {
        EXPECT_EQ(v[k], row.quantile(entries.entry(e), points[k]))
            << row.name << " entry " << e << " at " << points[k];
      }
    }
  }
}

// A family of three numbers per entry is mapped with each entry's own three.
TEST(InverseCdf, AFamilyOfThreeNumbersMapsEachEntrysOwn) {
  FamilyInfo quadratic = kFamilies[0];
  quadratic.quantile = [](EntryNumbers entry, double u) {
    return entry[0] + entry[1] * u + entry[2] * u * u;
  };
  quadratic.draw = SampleDraw::kQuantile;
  const InverseCdf inverse(quadratic,
                           EntryParameters{3, {1.0, 2.0, 4.0, -1.0, 0.0, 8.0}});
  ASSERT_EQ(inverse.size(), 2u);
  std::vector<double> v = {0.5, 0.25};
  inverse.map(1, v.data(), v.size());
  EXPECT_EQ(v, (std::vector<double>{1.0, -0.5}));
  v = {0.5, 0.25};
  inverse.map(0, v.data(), v.size());
  EXPECT_EQ(v, (std::vector<double>{3.0, 1.75}));
}

}  // namespace
}  // namespace linprob
