// The CSV export: one semicolon-separated file "Results_X<v>.csv" per unknown
// v in `directory` (a prefix ending with "/", created when missing), holding
// for every system and pivoting mode the exact value, the interval bounds and
// the three probability tables (lower tail, bands, upper tail with their
// VALID and INVALID probabilities) of the store. Every non-empty line has four
// semicolons; numbers use the default stream format.
//
// Each file is written under a temporary name in the same folder and renamed
// into place, so a failed export never leaves a half-written file that looks
// complete. A file that cannot be written does not stop the others.
#ifndef LINPROB_OUTPUT_CSV_EXPORT_H_
#define LINPROB_OUTPUT_CSV_EXPORT_H_

#include <ostream>
#include <string>
#include <vector>

#include "results/result_store.h"

namespace linprob {

// Writes the whole content of unknown v's file to `out`.
void writeCsv(const ResultStore& store, int v, std::ostream& out);

// Returns one line per failure, naming the file or folder and what went
// wrong, e.g. "Export/Results_X1.csv: cannot be written"; empty on success.
std::vector<std::string> exportCsv(const ResultStore& store,
                                   const std::string& directory);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_CSV_EXPORT_H_
