#include "output/tidy_csv.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "output/added_measure_rows.h"
#include "output/csv_row.h"
#include "output/measure_json.h"
#include "output/report_scale.h"

namespace linprob {
namespace {

// The key cells of a row: system, mode, family, unknown.
CsvRow keyRow(std::size_t columns, int system, const PivotMode& mode,
              const FamilyInfo& family, int unknown) {
  CsvRow row(columns);
  row.count(static_cast<std::uint64_t>(system))
      .text(mode.label)
      .text(family.name)
      .count(static_cast<std::uint64_t>(unknown));
  return row;
}

// Calls visit(system, mode, family, unknown) in row order.
template <typename Visit>
void forEachUnknown(const ResultStore& store, Visit visit) {
  for (int system = 0; system < store.systemCount(); ++system) {
    for (const PivotMode& mode : kPivotModes) {
      if (!store.elimination(system, mode.index).stored) continue;
      for (const FamilyInfo& family : kFamilies) {
        if (!store.phaseRun(system, mode.index, family.family).stored) continue;
        for (int v = 0; v < store.unknownCount(); ++v) {
          visit(system, mode, family, v);
        }
      }
    }
  }
}

// Runs write(row), which must add `columns` cells to `row`.
template <typename Write>
void measureCells(CsvRow& row, CsvColumns columns, Write write) {
  const std::size_t before = row.cells();
  write();
  if (row.cells() - before != columns.size()) {
    throw std::logic_error("the measure of column " +
                           std::string(columns.front()) + " wrote " +
                           std::to_string(row.cells() - before) + " cells for " +
                           std::to_string(columns.size()) + " columns");
  }
}

// ---- bands and unknowns -------------------------------------------------------

// The band's own cells (band, lower, upper), then each measure's.
void writeBand(CsvRow& row, const PositionResult& position, std::size_t k,
               std::ostream& out) {
  const PositionBands& bands = position.valid;
  const std::size_t bandCount = bands.borders.size();
  if (k == 0) {
    row.text("lower_tail").empty().number(bands.min);
  } else if (k <= bandCount) {
    row.count(k).number(k == 1 ? bands.min : bands.borders[k - 2]);
    row.number(bands.borders[k - 1]);
  } else {
    row.text("upper_tail")
        .number(bandCount == 0 ? bands.min : bands.borders.back())
        .empty();
  }
  for (const PhaseMeasure& measure : phaseMeasures()) {
    if (measure.bandCells == nullptr) continue;
    measureCells(row, measure.bandColumns,
                 [&] { measure.bandCells(row, position, k); });
  }
  row.writeTo(out);
}

void writeBandRows(int system, const PivotMode& mode, const FamilyInfo& family,
                   int unknown, const PositionResult& position,
                   std::ostream& out) {
  const std::size_t bandCount = position.valid.borders.size();
  for (std::size_t k = 0; k <= bandCount + 1; ++k) {
    // A failed (or stopped) stream drops the rest: skip its formatting.
    if (k > 0 && !out) return;
    CsvRow row = keyRow(kBandColumns.size(), system, mode, family, unknown);
    writeBand(row, position, k, out);
  }
}

void writeUnknownRow(const ResultStore& store, int system,
                     const PivotMode& mode, const FamilyInfo& family,
                     int unknown, std::ostream& out) {
  const SystemReference* reference = store.reference(system);
  const ExactReference* exact =
      reference != nullptr && reference->exact ? &*reference->exact : nullptr;
  const StoredSolution& solution = store.solution(unknown, system, mode.index);
  const SolutionMeasures measured = store.measures(unknown, system, mode.index);
  const SolutionView view{solution, measured, exact,
                          static_cast<std::size_t>(unknown)};
  const PositionResult* position =
      store.phase(unknown, system, mode.index, family.family);
  const bool solved = position != nullptr && position->solved();

  const std::span<const AddedMeasure> added = store.addedRows();
  CsvRow row = keyRow(kUnknownColumns.size() + addedColumnCount(added), system,
                      mode, family, unknown);
  row.count(store.phaseRun(system, mode.index, family.family).solvedJobs);
  row.number(exact ? std::optional<double>(exact->conditionNumber)
                   : std::nullopt);
  row.number(store.elimination(system, mode.index).pivotGrowth);
  for (const ColumnRun& run : unknownColumnRuns()) {
    if (run.table == ColumnRun::Table::kSolution) {
      const SolutionMeasure& measure = solutionMeasures()[run.row];
      measureCells(row, measure.columns, [&] { measure.cells(row, view); });
    } else {
      const PhaseMeasure& measure = phaseMeasures()[run.row];
      measureCells(row, measure.columns, [&] {
        if (solved) {
          measure.cells(row, *position);
        } else {
          row.empties(measure.columns.size());
        }
      });
    }
  }
  // One cell per column, or empties, by construction.
  for (std::size_t r = 0; r < added.size(); ++r) {
    addedCells(row, position, added, r);
  }
  row.writeTo(out);
}

// ---- sizes --------------------------------------------------------------

double chars(std::string_view text) { return static_cast<double>(text.size()); }

// The header line of `columns`.
double headerChars(CsvColumns columns) {
  double line = 0.0;
  for (std::string_view column : columns) line += chars(column) + 1.0;
  return line;
}

// The longest name of a mode and of a family.
double modeChars() {
  double most = 0.0;
  for (const PivotMode& mode : kPivotModes) most = std::max(most, chars(mode.label));
  return most;
}

double familyChars() {
  double most = 0.0;
  for (const FamilyInfo& family : kFamilies) most = std::max(most, chars(family.name));
  return most;
}

// ---- sensitivity ------------------------------------------------------------

void shareCell(CsvRow& row, const UnknownShares& shares, std::size_t entry) {
  row.number(shares.state == ShareState::kCertified
                 ? std::optional<double>(shares.shares[entry])
                 : std::nullopt);
}

// The columns of sensitivity.csv: ranked above kFullArraysMost unknowns;
// "independent_share" last where a system's entries are correlated.
std::vector<std::string_view> sensitivityColumns(bool full,
                                                 bool independent) {
  std::vector<std::string_view> columns(kSensitivityColumns.begin(),
                                        kSensitivityColumns.end());
  if (!full) columns.push_back(kRankedSensitivityColumns.back());
  if (independent) columns.push_back("independent_share");
  return columns;
}

// Whether a system of the store has shares of correlated entries.
bool anyCorrelatedShares(const ResultStore& store) {
  for (int system = 0; system < store.systemCount(); ++system) {
    const SystemReference* reference = store.reference(system);
    if (reference != nullptr && reference->correlated() &&
        json_parts::sensitivityWrittenApart(reference)) {
      return true;
    }
  }
  return false;
}

// The row of entry j of unknown i; `rank` only in the ranked form, the
// independent share in `columns` columns.
void writeShareRow(int system, const FamilyInfo& info,
                   const FamilyReference& family, std::size_t i, std::size_t j,
                   std::optional<std::size_t> rank, std::size_t columns,
                   std::ostream& out) {
  const UnknownShares& shares = family.shares[i];
  CsvRow row(columns);
  row.count(static_cast<std::uint64_t>(system))
      .text(info.name)
      .count(i)
      .count(j);
  shareCell(row, shares, j);
  row.number(shares.contributionSd[j]);
  if (family.cellShares) {
    shareCell(row, (*family.cellShares)[i], j);
  } else {
    row.empty();
  }
  if (rank) row.count(*rank);
  if (columns > kSensitivityColumns.size() + (rank ? 1 : 0)) {
    if (family.independentShares) {
      shareCell(row, (*family.independentShares)[i], j);
    } else {
      row.empty();
    }
  }
  row.writeTo(out);
}

// The entries of an unknown the ranked form keeps, in its order: by share
// (by contribution_sd where the shares are missing), largest first, ties
// to the lower entry; at most kSharesKept. `order` is reused.
void rankEntries(const UnknownShares& shares, std::vector<std::size_t>& order) {
  const std::vector<double>& key = shares.state == ShareState::kCertified
                                       ? shares.shares
                                       : shares.contributionSd;
  order.resize(key.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  const auto value = [&](std::size_t j) {
    return std::isnan(key[j]) ? -HUGE_VAL : key[j];
  };
  const std::size_t kept = std::min(kSharesKept, order.size());
  std::partial_sort(order.begin(),
                    order.begin() + static_cast<std::ptrdiff_t>(kept),
                    order.end(), [&](std::size_t a, std::size_t b) {
                      const double x = value(a);
                      const double y = value(b);
                      return x > y || (x == y && a < b);
                    });
  order.resize(kept);
}

}  // namespace

double bandsCsvBytes(const RunShape& shape) {
  // lower, upper, valid and invalid; exact_linear, truth and truth_error
  // from the certified values; valid_se in sampling.
  const double numbers =
      4.0 + (shape.certifies() ? 3.0 : 0.0) + (shape.sampling() ? 1.0 : 0.0);
  const double bandLabel =
      std::max(chars("lower_tail"), indexChars(shape.bands + 1.0));
  const double row = indexChars(shape.systems) + modeChars() + familyChars() +
                     indexChars(shape.unknowns) + bandLabel +
                     numbers * kRoundTripChars +
                     static_cast<double>(kBandColumns.size());
  return headerChars(kBandColumns) +
         shape.tables() * (shape.bands + 2.0) * row;
}

double unknownsCsvBytes(const RunShape& shape) {
  // After the keys: the jobs, the truth's method and the two verdicts,
  // then numbers; in enumeration no standard errors and no coverage factor
  // (7), without certified values none of the 22 they give, without
  // coverage intervals neither those (5) nor what is measured from them (3
  // for INVALID, 3 for the exact linear normal, 5 standard errors).
  const double words = chars("characteristic function in doubles") +
                       2.0 * chars("False");
  double numbers = static_cast<double>(kUnknownColumns.size()) - 8.0;
  if (!shape.sampling()) numbers -= 7.0;
  if (!shape.certifies()) numbers -= 22.0;
  if (!shape.covers()) {
    numbers -= 8.0 + (shape.sampling() ? 5.0 : 0.0) +
               (shape.certifies() ? 3.0 : 0.0);
  }
  // The added measures' columns: numbers.
  const std::vector<std::string_view> header = unknownHeader(addedMeasures());
  numbers += static_cast<double>(header.size() - kUnknownColumns.size());
  const double row = indexChars(shape.systems) + modeChars() + familyChars() +
                     indexChars(shape.unknowns) + 10.0 + words +
                     numbers * kRoundTripChars +
                     static_cast<double>(header.size());
  return headerChars(header) + shape.tables() * row;
}

double sensitivityCsvBytes(const RunShape& shape) {
  const bool full = holdsFullArrays(shape.unknowns);
  const CsvColumns columns = full ? CsvColumns(kSensitivityColumns)
                                  : CsvColumns(kRankedSensitivityColumns);
  if (!shape.certifies()) return headerChars(columns);
  const double n = shape.unknowns;
  const double kept = full ? n : std::min(n, static_cast<double>(kSharesKept));
  // share and contribution_sd; cells_share in enumeration.
  const double numbers = shape.sampling() ? 2.0 : 3.0;
  const double row = indexChars(shape.systems) + familyChars() +
                     2.0 * indexChars(n) + numbers * kRoundTripChars +
                     (full ? 0.0 : indexChars(kept + 1.0)) +
                     static_cast<double>(columns.size());
  return headerChars(columns) + static_cast<double>(shape.systems) *
                                    shape.familyCount() * n *
                                    kept * row;
}

void writeBandsCsv(const ResultStore& store, std::ostream& out) {
  writeCsvHeader(kBandColumns, out);
  forEachUnknown(store, [&](int system, const PivotMode& mode,
                            const FamilyInfo& family, int unknown) {
    const PositionResult* position =
        store.phase(unknown, system, mode.index, family.family);
    if (position != nullptr && position->solved()) {
      writeBandRows(system, mode, family, unknown, *position, out);
    }
  });
}

void writeUnknownsCsv(const ResultStore& store, std::ostream& out) {
  writeCsvHeader(unknownHeader(store.addedRows()), out);
  forEachUnknown(store, [&](int system, const PivotMode& mode,
                            const FamilyInfo& family, int unknown) {
    writeUnknownRow(store, system, mode, family, unknown, out);
  });
}

void writeSensitivityCsv(const ResultStore& store, std::ostream& out) {
  const bool full = holdsFullArrays(store.unknownCount());
  const std::vector<std::string_view> columns =
      sensitivityColumns(full, anyCorrelatedShares(store));
  writeCsvHeader(columns, out);
  std::vector<std::size_t> order;
  for (int system = 0; system < store.systemCount(); ++system) {
    const SystemReference* reference = store.reference(system);
    if (reference == nullptr) continue;
    for (const FamilyInfo& info : kFamilies) {
      const FamilyReference* family = reference->family(info.family);
      if (family == nullptr) continue;
      for (std::size_t i = 0; i < family->shares.size(); ++i) {
        const UnknownShares& shares = family->shares[i];
        if (full) {
          for (std::size_t j = 0; j < shares.contributionSd.size(); ++j) {
            writeShareRow(system, info, *family, i, j, std::nullopt,
                          columns.size(), out);
          }
          continue;
        }
        rankEntries(shares, order);
        for (std::size_t r = 0; r < order.size(); ++r) {
          writeShareRow(system, info, *family, i, order[r], r + 1,
                        columns.size(), out);
        }
      }
    }
  }
}

}  // namespace linprob
