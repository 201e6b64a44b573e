// The columns of unknowns.csv and bands.csv as arrays for results.nc
// (results_nc.h): each column's values gathered through the cells the CSV
// writers write (measure_rows.h), so that both files hold the same values.
#ifndef LINPROB_OUTPUT_NC_COLUMNS_H_
#define LINPROB_OUTPUT_NC_COLUMNS_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "output/csv_row.h"
#include "output/netcdf_dataset.h"

namespace linprob {

// How a column's cells are stored: numbers (and counts) as doubles,
// verdicts as bytes (0 false, 1 true), texts as strings.
enum class ColumnKind { kNumber, kVerdict, kText };

// truth_method is a text, the *_validated columns are verdicts, every other
// column a number.
ColumnKind columnKind(std::string_view column);
NetcdfType netcdfTypeOf(ColumnKind kind);

// One column's values over `size` places, each the fill value until set.
class ColumnArray {
 public:
  ColumnArray(std::string_view name, std::size_t size);

  std::string_view name() const { return name_; }
  ColumnKind kind() const { return kind_; }
  // Throws std::logic_error when the cell's kind is not the column's (an
  // empty cell fits every column and leaves the fill value).
  void set(std::size_t place, const CsvCell& cell);
  void putInto(NetcdfDataset& nc, int variable) const;

 private:
  std::string_view name_;
  ColumnKind kind_;
  std::vector<double> numbers_;
  std::vector<signed char> verdicts_;
  std::vector<std::string> texts_;
};

// Runs `fill(row)` on a row that keeps its cells in `cells` and checks that
// it gave `columns` of them (std::logic_error naming the first column).
template <typename Fill>
const std::vector<CsvCell>& filledCells(std::vector<CsvCell>& cells,
                                      CsvColumns columns, Fill fill) {
  cells.clear();
  CsvRow row(columns.size(), cells);
  fill(row);
  if (cells.size() != columns.size()) {
    throw std::logic_error("the cells of column " + std::string(columns.front()) +
                           ": " + std::to_string(cells.size()) + " for " +
                           std::to_string(columns.size()) + " columns");
  }
  return cells;
}

}  // namespace linprob

#endif  // LINPROB_OUTPUT_NC_COLUMNS_H_
