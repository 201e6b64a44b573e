// One line of a tidy table (tidy_csv.h): cells joined by commas, numbers in
// their shortest round-trip form (number_text.h), a missing value as an
// empty cell, verdicts as True or False.
//
// A line knows how many cells its table's header has, and writeTo throws
// std::logic_error when the line holds another count: a writer that forgot
// a cell, or wrote one too many, would otherwise shift every later column
// of the line under the wrong name.
//
// A row may keep its cells as values instead (CsvCell), for a writer of
// another format that takes the very values the tables show (results_nc.h).
#ifndef LINPROB_OUTPUT_CSV_ROW_H_
#define LINPROB_OUTPUT_CSV_ROW_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace linprob {

using CsvColumns = std::span<const std::string_view>;

// One cell as a row was given it: empty, a number, a count, a text or a
// verdict.
struct CsvVerdict {
  bool value = false;
};
using CsvCell = std::variant<std::monostate, double, std::uint64_t,
                             std::string, CsvVerdict>;

class CsvRow {
 public:
  explicit CsvRow(std::size_t columns) : columns_(columns) {}
  // Appends each cell to `cells` instead of building a line (writeTo then
  // writes nothing but checks the count).
  CsvRow(std::size_t columns, std::vector<CsvCell>& cells)
      : columns_(columns), kept_(&cells) {}

  CsvRow& text(std::string_view cell);
  CsvRow& number(double x);
  CsvRow& number(const std::optional<double>& x);
  CsvRow& count(std::uint64_t x);
  CsvRow& empty();
  CsvRow& empties(std::size_t count);
  CsvRow& verdict(const std::optional<bool>& x);

  std::size_t cells() const { return cells_; }
  // The line and its line break; throws std::logic_error unless it holds
  // as many cells as the header.
  void writeTo(std::ostream& out) const;

 private:
  CsvRow& keep(CsvCell cell);

  std::string line_;
  std::size_t cells_ = 0;
  std::size_t columns_ = 0;
  std::vector<CsvCell>* kept_ = nullptr;
};

// The header line of `columns`.
void writeCsvHeader(CsvColumns columns, std::ostream& out);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_CSV_ROW_H_
