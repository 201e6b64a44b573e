#include "output/tidy_csv.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/report_store.h"

namespace linprob {
namespace {

std::vector<std::vector<std::string>> cellsOf(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos;
         start = comma + 1) {
      cells.push_back(line.substr(start, comma - start));
    }
    cells.push_back(line.substr(start));
    rows.push_back(cells);
  }
  return rows;
}

TEST(TidyCsvTest, BandsHaveTailsAndEmptyCellsForMissingValues) {
  std::ostringstream out;
  writeBandsCsv(testing::reportStore(), out);
  const auto rows = cellsOf(out.str());
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(out.str().substr(0, out.str().find('\n')),
            "system,mode,family,unknown,band,lower,upper,valid,invalid,"
            "exact_linear");
  // Both tails and the bands of every solved unknown: under NoPivot Normal
  // (two bands for unknown 0, one for unknown 1, which sits at 2) and
  // Uniform (unknown 0), under RowColPivot Normal again. Triangular solved
  // nothing.
  ASSERT_EQ(rows.size(), 1u + (4 + 3) + 4 + (4 + 3));
  const auto& lowerTail = rows[1];
  EXPECT_EQ(std::vector<std::string>(lowerTail.begin(), lowerTail.begin() + 8),
            (std::vector<std::string>{"0", "NoPivot", "Normal", "0",
                                      "lower_tail", "", "0.5", "0"}));
  EXPECT_FALSE(lowerTail[8].empty());
  EXPECT_EQ(lowerTail[8], lowerTail[9]);  // INVALID = exact linear here
  EXPECT_EQ(std::vector<std::string>(rows[2].begin(), rows[2].begin() + 8),
            (std::vector<std::string>{"0", "NoPivot", "Normal", "0", "1",
                                      "0.5", "1", "0.75"}));
  EXPECT_EQ(std::vector<std::string>(rows[4].begin(), rows[4].begin() + 8),
            (std::vector<std::string>{"0", "NoPivot", "Normal", "0",
                                      "upper_tail", "1.5", "", "0"}));
  // Unknown 1 sits at 2: the approximations walked no band.
  EXPECT_EQ(rows[6], (std::vector<std::string>{"0", "NoPivot", "Normal", "1",
                                               "1", "2", "2", "1", "", ""}));
  EXPECT_EQ(rows[7][8], "");
  // Uniform unknown 0 has no INVALID table but an exact linear one.
  EXPECT_EQ(rows[8][2], "Uniform");
  EXPECT_EQ(rows[8][8], "");
  EXPECT_FALSE(rows[8][9].empty());
  EXPECT_EQ(rows[12][1], "RowColPivot");
}

TEST(TidyCsvTest, UnknownsHaveOneFullRowEach) {
  std::ostringstream out;
  writeUnknownsCsv(testing::reportStore(), out);
  const auto rows = cellsOf(out.str());
  ASSERT_EQ(rows.size(), 1u + 2 * 3 * 2);
  ASSERT_EQ(rows[0].size(), kUnknownColumns.size());
  for (std::size_t c = 0; c < kUnknownColumns.size(); ++c) {
    EXPECT_EQ(rows[0][c], kUnknownColumns[c]);
  }
  auto cell = [&](std::size_t row, const std::string& column) {
    for (std::size_t c = 0; c < kUnknownColumns.size(); ++c) {
      if (column == kUnknownColumns[c]) return rows[row][c];
    }
    ADD_FAILURE() << column;
    return std::string();
  };
  for (std::size_t r = 1; r < rows.size(); ++r) {
    ASSERT_EQ(rows[r].size(), kUnknownColumns.size()) << r;
    for (const char* verdict : {"invalid_validated", "exact_linear_validated"}) {
      const std::string v = cell(r, verdict);
      EXPECT_TRUE(v.empty() || v == "True" || v == "False") << v;
    }
  }
  // Row 1: NoPivot, Triangular, unknown 0: no job, system values only.
  EXPECT_EQ(cell(1, "jobs"), "0");
  EXPECT_EQ(cell(1, "condition_number"), "2");
  EXPECT_EQ(cell(1, "hull_lower"), "0.5");
  EXPECT_EQ(cell(1, "forward_error_ulps"), "");
  EXPECT_EQ(cell(1, "interval_overestimation"), "1");
  EXPECT_EQ(cell(1, "min"), "");
  // Row 3: NoPivot, Normal, unknown 0.
  EXPECT_EQ(cell(3, "family"), "Normal");
  EXPECT_EQ(cell(3, "min"), "0.5");
  EXPECT_EQ(cell(3, "expected_moments_sd"), "0.5");
  EXPECT_EQ(cell(3, "invalid_sd"), cell(3, "exact_linear_sd"));
  EXPECT_FALSE(cell(3, "invalid_validated").empty());
  // Row 7: RowColPivot, Triangular, unknown 0: growth not a number, one ulp.
  EXPECT_EQ(cell(7, "mode"), "RowColPivot");
  EXPECT_EQ(cell(7, "pivot_growth"), "");
  EXPECT_EQ(cell(7, "forward_error_ulps"), "1");
}

}  // namespace
}  // namespace linprob
