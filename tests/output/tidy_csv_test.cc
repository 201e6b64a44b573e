// sensitivity.csv in its two forms: every share up to kFullArraysMost
// unknowns, the kSharesKept largest of each unknown, ranked, above.
#include "output/tidy_csv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "output/number_text.h"
#include "output/report_scale.h"
#include "support/csv_cells.h"

namespace linprob {
namespace {

using testing_support::csvCells;

// Shares of unknown i that tie in groups of three (entries 3k, 3k + 1 and
// 3k + 2 share a value), in an order that differs by unknown and family;
// contribution_sd their roots. Unknown 1 has no certified shares (ranked
// by contribution_sd), unknown 2 no spread (every sd 0). Enumeration:
// cells' shares, a value apart from the family's own.
ResultStore sharesStore(int n) {
  ResultStore store(n, 1);
  SystemReference reference;
  reference.n = static_cast<unsigned>(n);
  for (const FamilyInfo& info : kFamilies) {
    // The families of a run whose systems have the files every
    // system has.
    if (!requiredFamilies().test(static_cast<std::size_t>(info.family))) continue;
    FamilyReference family;
    std::vector<UnknownShares> cells;
    const int f = static_cast<int>(info.family);
    for (int i = 0; i < n; ++i) {
      UnknownShares shares;
      UnknownShares cell;
      for (int j = 0; j < n; ++j) {
        const double share =
            static_cast<double>((j / 3 * (7 + i + f)) % 53 + 1) / 4099.0;
        shares.shares.push_back(share);
        shares.contributionSd.push_back(i == 2 ? 0.0 : std::sqrt(share));
        cell.shares.push_back(share / 3.0);
        cell.contributionSd.push_back(0.0);
      }
      if (i == 1) shares.state = ShareState::kUncertain;
      if (i == 2) shares.state = ShareState::kNoSpread;
      if (i == 1 || i == 2) shares.shares.clear();
      family.shares.push_back(std::move(shares));
      cells.push_back(std::move(cell));
    }
    family.cellShares = std::move(cells);
    reference.families[static_cast<std::size_t>(info.family)] = std::move(family);
  }
  store.addReference(std::move(reference));
  return store;
}

std::vector<std::vector<std::string>> sensitivityRows(const ResultStore& store) {
  std::ostringstream out;
  writeSensitivityCsv(store, out);
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(out.str());
  for (std::string line; std::getline(in, line);) rows.push_back(csvCells(line));
  return rows;
}

// The entries of `key` by decreasing value, ties to the lower entry.
std::vector<std::size_t> byDecreasing(const std::vector<double>& key) {
  std::vector<std::size_t> order(key.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return key[a] > key[b]; });
  return order;
}

std::string cell(const std::vector<double>& values, std::size_t j) {
  return values.empty() ? "" : numberText(values[j]);
}

TEST(SensitivityCsvTest, AboveTheFullFormKeepsTheLargestSharesRanked) {
  const int n = kFullArraysMost + 21;
  const ResultStore store = sharesStore(n);
  const auto rows = sensitivityRows(store);
  ASSERT_EQ(rows[0], csvCells("system,family,unknown,entry,share,"
                              "contribution_sd,cells_share,rank"));
  ASSERT_EQ(rows.size(), 1 + requiredFamilies().count() * n * kSharesKept);
  std::size_t r = 1;
  for (const FamilyInfo& info : kFamilies) {
    // The families of a run whose systems have the files every
    // system has.
    if (!requiredFamilies().test(static_cast<std::size_t>(info.family))) continue;
    const FamilyReference& family = *store.reference(0)->family(info.family);
    for (int i = 0; i < n; ++i) {
      const UnknownShares& shares = family.shares[static_cast<std::size_t>(i)];
      const UnknownShares& cells = (*family.cellShares)[static_cast<std::size_t>(i)];
      const std::vector<std::size_t> order = byDecreasing(
          shares.shares.empty() ? shares.contributionSd : shares.shares);
      for (std::size_t rank = 1; rank <= kSharesKept; ++rank, ++r) {
        const std::size_t j = order[rank - 1];
        const std::vector<std::string> expected = {
            "0",
            info.name,
            std::to_string(i),
            std::to_string(j),
            cell(shares.shares, j),
            numberText(shares.contributionSd[j]),
            numberText(cells.shares[j]),
            std::to_string(rank)};
        ASSERT_EQ(rows[r], expected) << info.name << " unknown " << i;
      }
    }
  }
  // Unknown 2 has no spread: its first entries, in order.
  EXPECT_EQ(rows[1 + 2 * kSharesKept][3], "0");
  EXPECT_EQ(rows[1 + 2 * kSharesKept + 19][3], "19");
}

TEST(SensitivityCsvTest, UpToTheFullFormEveryShareInEntryOrder) {
  const int n = kFullArraysMost;
  const ResultStore store = sharesStore(n);
  const auto rows = sensitivityRows(store);
  ASSERT_EQ(rows[0], csvCells("system,family,unknown,entry,share,"
                              "contribution_sd,cells_share"));
  ASSERT_EQ(rows.size(), 1 + requiredFamilies().count() * n * n);
  const FamilyReference& normal =
      *store.reference(0)->family(Family::kNormal);
  // Normal is the second family; its unknown 3, entry 5.
  const std::size_t r = 1 + static_cast<std::size_t>(n * n + 3 * n + 5);
  EXPECT_EQ(rows[r],
            (std::vector<std::string>{"0", "Normal", "3", "5",
                                      numberText(normal.shares[3].shares[5]),
                                      numberText(normal.shares[3].contributionSd[5]),
                                      numberText((*normal.cellShares)[3].shares[5])}));
}

}  // namespace
}  // namespace linprob
