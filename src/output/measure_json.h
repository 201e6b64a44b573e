// The measures of results.json as JSON values, one builder per kind of
// value: what the document and the page's copy of it say of a position's
// tables, moments, coverage, checks against the approximations and the
// truth, standard errors, convergence and the variance shares, and how a
// --digits phase ended, with null where a value is missing (as the table
// of fields in docs/outputs.md says). The measure rows (measure_rows.h)
// put them together into an unknown's entry.
#ifndef LINPROB_OUTPUT_MEASURE_JSON_H_
#define LINPROB_OUTPUT_MEASURE_JSON_H_

#include <cstddef>
#include <optional>
#include <ostream>
#include <vector>

#include "output/json_text.h"
#include "results/result_store.h"

namespace linprob::json_parts {

Json orNull(const std::optional<double>& x);
Json numbers(const std::vector<double>& values);
Json pairOf(double lower, double upper);
Json meanSdJson(const std::optional<MeanSd>& value);
Json tableJson(const MeanSd& normal, const NormalTable& table);
Json discrepancyJson(const std::optional<ApproximationCheck>& check);
Json discrepancyJson(const std::optional<Discrepancy>& discrepancy);
Json validationJson(const std::optional<ApproximationCheck>& check);
Json coverageJson(const std::optional<CoverageInterval>& coverage);
// lower_tail, bands, upper_tail of a table.
Json tailedJson(const NormalTable& table);
// The normal table of an approximation, or null without it.
Json approximationJson(const std::optional<ApproximationCheck>& check,
                       const NormalTable& table);
// method, lower_tail, bands, upper_tail, error_bounds and max_error of the
// continuous truth, or null without it.
Json truthJson(const TruthCheck& check);
// The page's copy of an approximation's table (`member`) with `group`
// neighbouring bands merged, when it is `available` and walked the
// histogram's bands.
void mergeTable(Json& member, bool available, const NormalTable& table,
                const PositionResult& p, std::size_t group);
Json sharesJson(const UnknownShares& shares);
// Per family and unknown: the shares of the entries in its variance, as
// the JSON text of an array, one unknown's values at a time (at 2,000
// unknowns the whole array as JSON values took some 400 MB).
void writeSensitivity(const SystemReference& reference, std::ostream& out);
// Whether the system has shares, which writeSensitivity then writes after
// the other members of the system's head ("sensitivity_reason" null).
bool sensitivityWrittenApart(const SystemReference* reference);
// "sensitivity" null and "sensitivity_reason" (null without a reference)
// for a system without shares.
void addSensitivityReason(Json& entry, const SystemReference* reference);
// What the shares of correlated entries are, for a system that has them;
// null otherwise.
const char* sensitivityNote(const SystemReference* reference);
// The standard errors beside a position's values, or null in enumeration.
Json errorsJson(const std::optional<PositionErrors>& errors);
// The running estimates over a sampling phase's batches, one array per
// quantity by point (samples, mean, mean_se, symmetric_lower,
// symmetric_lower_se, symmetric_upper, symmetric_upper_se), or null.
Json convergenceJson(const std::optional<Convergence>& convergence);
// How a --digits phase ended (digits, most_samples, rule_met), or null.
Json digitsJson(const std::optional<DigitsStop>& digits);
// The errors of merged bands: the root of the sum of their squares.
Json mergedErrors(const std::vector<double>& errors, std::size_t group);
// The values summed in order `group` at a time (the last group takes what
// is left).
Json mergedNumbers(const std::vector<double>& values, std::size_t group);

}  // namespace linprob::json_parts

#endif  // LINPROB_OUTPUT_MEASURE_JSON_H_
