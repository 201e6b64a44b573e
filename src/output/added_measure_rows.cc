#include "output/added_measure_rows.h"

#include <optional>
#include <string>

#include "output/measure_json.h"
#include "output/measure_rows.h"

namespace linprob {
namespace {

using namespace json_parts;

std::optional<std::span<const std::optional<double>>> valuesOf(
    const PositionResult* position, std::span<const AddedMeasure> rows,
    std::size_t r) {
  if (position == nullptr || !position->solved()) return std::nullopt;
  return addedValues(position->measures, rows, r);
}

}  // namespace

std::vector<std::string_view> unknownHeader(
    std::span<const AddedMeasure> rows) {
  std::vector<std::string_view> header(kUnknownColumns.begin(),
                                       kUnknownColumns.end());
  for (const AddedMeasure& row : rows) {
    for (const AddedColumn& column : row.columns) header.push_back(column.name);
  }
  return header;
}

Json addedJson(const PositionResult* position,
               std::span<const AddedMeasure> rows, std::size_t r) {
  const auto values = valuesOf(position, rows, r);
  if (!values) return Json(nullptr);
  const std::span<const AddedColumn> columns = rows[r].columns;
  if (columns.size() == 1) return orNull((*values)[0]);
  Json member = Json::object();
  for (std::size_t c = 0; c < columns.size(); ++c) {
    member[std::string(columns[c].name)] = orNull((*values)[c]);
  }
  return member;
}

Json addedMeasuresJson(std::span<const AddedMeasure> rows) {
  Json list = Json::array();
  for (const AddedMeasure& row : rows) {
    Json columns = Json::array();
    for (const AddedColumn& column : row.columns) {
      columns.push_back(Json{{"name", column.name},
                             {"long_name", column.longName},
                             {"units", column.units}});
    }
    list.push_back(Json{{"field", row.field}, {"columns", std::move(columns)}});
  }
  return list;
}

void addedCells(CsvRow& row, const PositionResult* position,
                std::span<const AddedMeasure> rows, std::size_t r) {
  const auto values = valuesOf(position, rows, r);
  if (!values) {
    row.empties(rows[r].columns.size());
    return;
  }
  for (const std::optional<double>& value : *values) row.number(value);
}

}  // namespace linprob
