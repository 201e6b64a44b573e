// The data family's row: an entry is the empirical law of its measured
// values, read sorted whatever their order in the file.
#include "distributions/data_family.h"

#include <gtest/gtest.h>

#include <boost/multiprecision/cpp_int.hpp>
#include <string>
#include <vector>

#include "distributions/family.h"
#include "distributions/parameter_files.h"
#include "linear/exact_moments.h"

namespace linprob {
namespace {

using boost::multiprecision::cpp_rational;

const FamilyInfo& dataRow() { return familyInfo(Family::kData); }

TEST(DataFamilyTest, EntriesComeSortedAndEachValueIsOneCell) {
  // Two entries of three values each, as a file's two lines hold them.
  const std::vector<double> file = {3.0, -1.0, 2.0, 0.5, 0.5, -4.0};
  const EntryParameters entries = entryParameters(dataRow(), file, 2);
  ASSERT_EQ(entries.width, 3u);
  EXPECT_EQ(entries.numbers,
            (std::vector<double>{-1.0, 2.0, 3.0, -4.0, 0.5, 0.5}));
  // One cell per value, whatever count the settings give.
  EXPECT_EQ(enumeratedCells(dataRow(), 50, entries), 3);
  const RectangleTable cells = dataRow().cells(50, entries);
  ASSERT_EQ(cells.size(), 3u);
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(cells[k][0].value, entries.entry(0)[k]);
    EXPECT_EQ(cells[k][1].value, entries.entry(1)[k]);
    EXPECT_EQ(cells[k][0].probability, 1.0 / 3.0);
  }
  EXPECT_TRUE(dataRow().cells(0, entries).empty());
  // A file whose numbers make no lines of n entries is refused.
  EXPECT_THROW(entryParameters(dataRow(), {1.0, 2.0, 3.0}, 2),
               std::invalid_argument);
}

TEST(DataFamilyTest, QuantileIsTheEmpiricalOneWithinTheValues) {
  const EntryParameters entries =
      entryParameters(dataRow(), {4.0, 1.0, 3.0, 2.0}, 1);
  const EntryNumbers entry = entries.entry(0);
  EXPECT_EQ(family_rows::dataQuantile(entry, 1e-300), 1.0);
  EXPECT_EQ(family_rows::dataQuantile(entry, 0.2499999), 1.0);
  EXPECT_EQ(family_rows::dataQuantile(entry, 0.25), 2.0);
  EXPECT_EQ(family_rows::dataQuantile(entry, 0.74), 3.0);
  EXPECT_EQ(family_rows::dataQuantile(entry, 1.0 - 1e-16), 4.0);
  const SamplingRange range = family_rows::dataRange(entry);
  EXPECT_EQ(range.lower, 1.0);
  EXPECT_EQ(range.upper, 4.0);
}

TEST(DataFamilyTest, MomentsAreTheEmpiricalLawsExactlyAndInDoubles) {
  // 0, 0, 1: mean 1/3, variance (2 (1/3)^2 + (2/3)^2) / 3 = 2/9 (divided by
  // m, not m - 1).
  const EntryParameters entries = entryParameters(dataRow(), {0.0, 1.0, 0.0}, 1);
  const ExactEntryMoments exact = family_rows::exactDataMoments(entries.entry(0));
  ASSERT_TRUE(exact.moments);
  EXPECT_EQ(exact.moments->mean, cpp_rational(1, 3));
  EXPECT_EQ(exact.moments->variance, cpp_rational(2, 9));
  const NormalParameters moments = family_rows::dataMoments(entries.entry(0));
  EXPECT_DOUBLE_EQ(moments.mean, 1.0 / 3.0);
  EXPECT_DOUBLE_EQ(moments.variance, 2.0 / 9.0);
}

TEST(DataFamilyTest, TheFileCheckNamesTheRow) {
  EXPECT_EQ(checkParameters({1.0, 2.0, 3.0, NAN}, 2, ParameterKind::kData),
            (std::vector<std::string>{
                "row 1 has a value that is not finite (nan)"}));
  EXPECT_EQ(checkParameters({1.0, 2.0, -1e308, 1e308}, 2, ParameterKind::kData),
            (std::vector<std::string>{
                "row 1 has values too far apart for a finite variance"}));
  EXPECT_EQ(checkParameters({1.0, 2.0, 3.0}, 2, ParameterKind::kData),
            (std::vector<std::string>{
                "holds 3 numbers, not a line of at least 2 for each of 2 "
                "entries"}));
  EXPECT_EQ(entryWidth(ParameterKind::kData, 10, 2), 5u);
  EXPECT_EQ(entryWidth(ParameterKind::kData, 2, 2), 0u);  // one value each
  EXPECT_EQ(entryWidth(ParameterKind::kNormal, 10, 2), 2u);
}

}  // namespace
}  // namespace linprob
