// The cells of the tidy tables (tidy_csv.h) for each kind of value a
// measure holds, as measure_json.h builds its JSON: a value's cells, or as
// many empty cells where it is missing. The measure rows (measure_rows.h)
// put them together into a line.
#ifndef LINPROB_OUTPUT_MEASURE_CELLS_H_
#define LINPROB_OUTPUT_MEASURE_CELLS_H_

#include <cstddef>
#include <optional>

#include "output/csv_row.h"
#include "results/result_store.h"

namespace linprob {

// The bands of a position's histogram (K).
std::size_t bandCount(const PositionResult& p);

// A table's cell for band k (0 the lower tail, K + 1 the upper tail) when
// it walked the histogram's K bands (its lower tail always), empty
// otherwise or when the table is not `available`.
std::optional<double> tableCell(bool available, const NormalTable& table,
                                std::size_t k, std::size_t bands);

// mean, sd
void meanSdCells(CsvRow& row, const std::optional<MeanSd>& value);
// The approximation's mean and sd.
void normalCells(CsvRow& row, const std::optional<ApproximationCheck>& check);
// total_variation, max_cdf
void discrepancyCells(CsvRow& row, const std::optional<Discrepancy>& d);
// delta, d_low, d_high, validated
void validationCells(CsvRow& row,
                     const std::optional<ApproximationCheck>& check);
// method, max_error, and the discrepancies of VALID, INVALID and the exact
// linear normal against the truth.
void truthCells(CsvRow& row, const TruthCheck& check);
// The truth's value and error bound for band k; empty when it is missing
// or (but for the lower tail) walked other bands.
void truthBandCells(CsvRow& row, const TruthCheck& check, std::size_t k,
                    std::size_t bands);
// The standard errors of the mean, the sd and the four interval ends and
// their coverage factor, or empties (enumeration, too few samples or
// replicates, no interval).
void errorCells(CsvRow& row, const std::optional<PositionErrors>& errors);
// VALID's standard error in band k: 0 for the tails where there are
// errors (VALID has no tails).
std::optional<double> errorCell(const std::optional<PositionErrors>& errors,
                                std::size_t k, std::size_t bands);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_MEASURE_CELLS_H_
