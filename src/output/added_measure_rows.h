// The writers' side of the added measures (results/added_measure.h): the
// header of Report/unknowns.csv with their columns after the built-in
// ones, and a row's member and cells, in their one null form.
#ifndef LINPROB_OUTPUT_ADDED_MEASURE_ROWS_H_
#define LINPROB_OUTPUT_ADDED_MEASURE_ROWS_H_

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "output/csv_row.h"
#include "output/json_text.h"
#include "results/added_measure.h"

namespace linprob {

// kUnknownColumns (output/measure_rows.h), then the columns of `rows`.
std::vector<std::string_view> unknownHeader(std::span<const AddedMeasure> rows);

// Row r's member of `position`: a number (or null) for a row of one column,
// else an object by column name; null where the position holds none.
json_parts::Json addedJson(const PositionResult* position,
                           std::span<const AddedMeasure> rows, std::size_t r);

// The rows as the page lists them: per row its field and its columns' name,
// long_name and units.
json_parts::Json addedMeasuresJson(std::span<const AddedMeasure> rows);

// Row r's cells of `position`, one per column; empty where it holds none.
void addedCells(CsvRow& row, const PositionResult* position,
                std::span<const AddedMeasure> rows, std::size_t r);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_ADDED_MEASURE_ROWS_H_
