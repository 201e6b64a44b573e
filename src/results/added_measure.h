// AddedMeasure: a trust measure of one unknown in one phase beyond the
// built-in ones (results/position_measures.h), declared once, as one row:
// its member in results.json, its columns in Report/unknowns.csv and
// results.nc, and how its values are computed from the position's results
// and its family's references.
//
// A measure is a few numbers per position, one per column; each column
// gives the words results.nc describes it with. Every writer walks the
// rows (output/added_measure_rows.h), so the rest follows from the row:
// the columns come after every built-in column, in the rows' order; the
// member is a number for one column, else an object by column name; its
// null form is a null member and empty cells where the phase solved
// nothing, and a null or an empty cell for a value left unset. The page
// lists every added measure under an unknown's other trust measures, by
// the words of its columns (results.json's "added_measures").
//
// A new measure is its own header (or file pair: its compute function and
// its row) and one line in kAddedMeasures (added_measure.cc). A column of a
// name another column has stops results.nc (the library refuses it).
#ifndef LINPROB_RESULTS_ADDED_MEASURE_H_
#define LINPROB_RESULTS_ADDED_MEASURE_H_

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "results/phase_result.h"
#include "results/system_reference.h"

namespace linprob {

// A column's name and, for results.nc, its long_name and units ("1" for
// pure numbers, "units of x" for values on the scale of the unknowns).
struct AddedColumn {
  std::string_view name;
  std::string_view longName;
  std::string_view units;
};

struct AddedMeasure {
  std::string_view field;
  std::span<const AddedColumn> columns;
  // Fills `values` (one per column, unset on entry) for a solved position;
  // `family` is null where the system has no references for its family. A
  // value that is not finite is taken as unset.
  void (*compute)(const PositionResult& position, const FamilyReference* family,
                  std::span<std::optional<double>> values);
};

// The program's rows, in their order.
std::span<const AddedMeasure> addedMeasures();

// The number of columns of `rows` together.
std::size_t addedColumnCount(std::span<const AddedMeasure> rows);

// Row r's values among a position's (PositionMeasures::added), or none
// where the position holds no values of `rows` (it was not solved, or
// measured with other rows).
std::optional<std::span<const std::optional<double>>> addedValues(
    const PositionMeasures& measures, std::span<const AddedMeasure> rows,
    std::size_t r);

}  // namespace linprob

#endif  // LINPROB_RESULTS_ADDED_MEASURE_H_
