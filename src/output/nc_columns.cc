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
  if (std::holds_alternative<std::monostate>(cell)) return;
  switch (kind_) {
    case ColumnKind::kNumber:
      if (const auto* x = std::get_if<double>(&cell)) {
        numbers_.at(place) = *x;
        return;
      }
      if (const auto* n = std::get_if<std::uint64_t>(&cell)) {
        numbers_.at(place) = static_cast<double>(*n);
        return;
      }
      break;
    case ColumnKind::kVerdict:
      if (const auto* v = std::get_if<CsvVerdict>(&cell)) {
        verdicts_.at(place) = v->value ? 1 : 0;
        return;
      }
      break;
    case ColumnKind::kText:
      if (const auto* t = std::get_if<std::string>(&cell)) {
        texts_.at(place) = *t;
        return;
      }
      break;
  }
  throw std::logic_error("column " + std::string(name_) +
                         ": a cell of another kind");
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

}  // namespace linprob
