#include "output/nc_columns.h"

#include <stdexcept>

namespace linprob {

ColumnKind columnKind(std::string_view column) {
  if (column == "truth_method") return ColumnKind::kText;
  if (column.ends_with("_validated")) return ColumnKind::kVerdict;
  return ColumnKind::kNumber;
}

NetcdfType netcdfTypeOf(ColumnKind kind) {
  switch (kind) {
    case ColumnKind::kNumber:
      return NetcdfType::kDouble;
    case ColumnKind::kVerdict:
      return NetcdfType::kByte;
    case ColumnKind::kText:
      return NetcdfType::kString;
  }
  return NetcdfType::kDouble;
}

ColumnArray::ColumnArray(std::string_view name, std::size_t size)
    : name_(name), kind_(columnKind(name)) {
  switch (kind_) {
    case ColumnKind::kNumber:
      numbers_.assign(size, kNetcdfFillDouble);
      break;
    case ColumnKind::kVerdict:
      verdicts_.assign(size, kNetcdfFillByte);
      break;
    case ColumnKind::kText:
      texts_.assign(size, std::string());
      break;
  }
}

void ColumnArray::set(std::size_t place, const CsvCell& cell) {
  using Kind = CsvCell::Kind;
  if (cell.kind == Kind::kEmpty) return;
  const bool fits =
      (kind_ == ColumnKind::kNumber &&
       (cell.kind == Kind::kNumber || cell.kind == Kind::kCount)) ||
      (kind_ == ColumnKind::kVerdict && cell.kind == Kind::kVerdict) ||
      (kind_ == ColumnKind::kText && cell.kind == Kind::kText);
  if (!fits) {
    throw std::logic_error("column " + std::string(name_) +
                           ": a cell of another kind");
  }
  switch (kind_) {
    case ColumnKind::kNumber:
      numbers_.at(place) = cell.kind == Kind::kCount
                               ? static_cast<double>(cell.count)
                               : cell.number;
      break;
    case ColumnKind::kVerdict:
      verdicts_.at(place) = cell.verdict ? 1 : 0;
      break;
    case ColumnKind::kText:
      texts_.at(place) = cell.text;
      break;
  }
}

void ColumnArray::clear() {
  std::fill(numbers_.begin(), numbers_.end(), kNetcdfFillDouble);
  std::fill(verdicts_.begin(), verdicts_.end(), kNetcdfFillByte);
  for (std::string& text : texts_) text.clear();
}

void ColumnArray::putInto(NetcdfDataset& nc, int variable) const {
  switch (kind_) {
    case ColumnKind::kNumber:
      nc.put(variable, std::span<const double>(numbers_));
      break;
    case ColumnKind::kVerdict:
      nc.put(variable, std::span<const signed char>(verdicts_));
      break;
    case ColumnKind::kText:
      nc.put(variable, texts_);
      break;
  }
}

void ColumnArray::putBlockInto(NetcdfDataset& nc, int variable,
                               std::span<const std::size_t> start,
                               std::span<const std::size_t> count) const {
  if (kind_ != ColumnKind::kNumber) {
    throw std::logic_error("column " + std::string(name_) +
                           ": only numbers are written in blocks");
  }
  nc.put(variable, start, count, numbers_);
}

}  // namespace linprob
