// The summary file of one system under one pivoting mode
// ("Matrix<i>/RESULTS_FF.txt" ...), rendered from its SystemResult.
//
// The file begins with an empty line, then "Exact values", one
// "Variable number <columnOrder[k]> has bounds: <lower> to <upper>" line per
// position k, an empty line, "Interval arithmetic values" and its lines;
// then per phase an empty line, the family's VALID header, the VALID tables,
// an empty line, the INVALID header and the INVALID tables. Numbers use the
// stream's default format (six significant digits). A phase run under
// --digits has one more line after its VALID header, with the samples it
// used (all digits) and how its rounds ended:
//   Samples used: 4096, where the --digits 2 rule was met (at most 100000).
//   Samples used: 100000, the most allowed (100000); the --digits 2 rule was not met.
//
// VALID table per position:
//   Showing probabilities for variable number <unknown>
//   <Min : 0
//   <lower> to <upper> : P=<mass>      (one line per band, lower = upper-step)
// INVALID table per position:
//   Showing INVALID probabilities for variable number <unknown>
//   Lower than <Min> : <P>
//   <from> to <to> : <P>               (one line per band walked)
//   More than <last border> : <P>
// A position whose phase solved nothing gets, in both tables,
//   No samples were solved for variable number <unknown>.
// and one without an approximation, in the INVALID table,
//   No normal approximation exists for variable number <unknown>: its mean or variance is not finite.
//   No normal approximation exists for variable number <unknown>: its variance is negative.
#ifndef LINPROB_OUTPUT_SUMMARY_FILE_H_
#define LINPROB_OUTPUT_SUMMARY_FILE_H_

#include <ostream>
#include <vector>

#include "linear/interval.h"
#include "output/run_shape.h"
#include "results/phase_result.h"
#include "results/system_result.h"

namespace linprob {

void printBounds(const std::vector<Interval>& solution,
                 const std::vector<unsigned>& columnOrder, std::ostream& out);
// The line of a --digits phase; nothing for any other.
void printSamplesUsed(const PhaseResult& phase, std::ostream& out);
void printValidTables(const PhaseResult& phase, std::ostream& out);
void printInvalidTables(const PhaseResult& phase, std::ostream& out);

// The whole file.
void writeSummary(const SystemResult& result, std::ostream& out);

// The bytes of every summary file of a run of this shape (each system's
// four), its numbers at kSixDigitChars.
double summaryFilesBytes(const RunShape& shape);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_SUMMARY_FILE_H_
