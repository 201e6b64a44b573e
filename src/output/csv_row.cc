#include "output/csv_row.h"

#include <stdexcept>
#include <utility>

#include "output/number_text.h"

namespace linprob {

CsvRow& CsvRow::keep(CsvCell cell) {
  kept_->push_back(std::move(cell));
  ++cells_;
  return *this;
}

CsvRow& CsvRow::text(std::string_view cell) {
  if (kept_ != nullptr) return keep(CsvCell(std::in_place_type<std::string>, cell));
  if (cells_ > 0) line_ += ',';
  line_ += cell;
  ++cells_;
  return *this;
}

CsvRow& CsvRow::number(double x) {
  if (kept_ != nullptr) return keep(CsvCell(std::in_place_type<double>, x));
  return text(numberText(x));
}

CsvRow& CsvRow::number(const std::optional<double>& x) {
  return x ? number(*x) : empty();
}

CsvRow& CsvRow::count(std::uint64_t x) {
  if (kept_ != nullptr) return keep(CsvCell(std::in_place_type<std::uint64_t>, x));
  return text(numberText(x));
}

CsvRow& CsvRow::empty() {
  if (kept_ != nullptr) return keep(CsvCell());
  return text(std::string_view());
}

CsvRow& CsvRow::empties(std::size_t count) {
  for (std::size_t k = 0; k < count; ++k) empty();
  return *this;
}

CsvRow& CsvRow::verdict(const std::optional<bool>& x) {
  if (!x) return empty();
  if (kept_ != nullptr) return keep(CsvVerdict{*x});
  return text(*x ? "True" : "False");
}

void CsvRow::writeTo(std::ostream& out) const {
  if (cells_ != columns_) {
    throw std::logic_error("a line of " + std::to_string(cells_) +
                           " cells under a header of " +
                           std::to_string(columns_) + " columns");
  }
  if (kept_ == nullptr) out << line_ << '\n';
}

void writeCsvHeader(CsvColumns columns, std::ostream& out) {
  CsvRow header(columns.size());
  for (std::string_view column : columns) header.text(column);
  header.writeTo(out);
}

}  // namespace linprob
