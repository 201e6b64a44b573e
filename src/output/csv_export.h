// The CSV export: one semicolon-separated file "Results_X<v>.csv" per unknown
// v in `directory` (a prefix ending with "/", created when missing), holding
// for every system and pivoting mode the exact value, the interval bounds and
// the three probability tables (lower tail, bands, upper tail with their
// VALID and INVALID probabilities) of the store. Every non-empty line has four
// semicolons; numbers use the default stream format.
//
// Each file is written under a temporary name in the same folder and renamed
// into place (base/output_file.h), so a failed or stopped export never
// leaves a half-written file that looks complete. A file that cannot be
// written does not stop the others; a stop of the run does, within a block
// of the file being written (that file is not kept).
//
// Files of the folder named like the export of an unknown this run does not
// have (Results_X<v>.csv, v >= the unknowns of the store: an earlier run with
// more unknowns) are never touched; one line names them.
#ifndef LINPROB_OUTPUT_CSV_EXPORT_H_
#define LINPROB_OUTPUT_CSV_EXPORT_H_

#include <optional>
#include <ostream>
#include <stop_token>
#include <string>
#include <vector>

#include "output/run_shape.h"
#include "results/result_store.h"

namespace linprob {

// Writes the whole content of unknown v's file to `out`.
void writeCsv(const ResultStore& store, int v, std::ostream& out);

struct CsvExport {
  // One line per failure, naming the file or folder and what went wrong,
  // e.g. "Export/Results_X1.csv: cannot be written: No space left on
  // device" or "Export/: cannot be created: Not a directory"; empty on
  // success.
  std::vector<std::string> failures;
  int written = 0;       // files completed and renamed into place
  bool stopped = false;  // `stop` ended the export before its last file
  // After a whole export, the warning line about files of unknowns beyond
  // the store's: "Export/: left from an earlier run with more unknowns (this
  // run has 2): Results_X2.csv, Results_X3.csv" (at most ten named, then
  // "and <k> more").
  std::optional<std::string> leftover;
};

// The files are written on up to `threads` threads (this one among them),
// each taking the next unknown; the files, the count and the failures (in
// the unknowns' order) are the same for any number. At 1,000 unknowns the
// export takes about a second of one thread, most of it creating the files.
CsvExport exportCsv(const ResultStore& store, const std::string& directory,
                    const std::stop_token& stop = {}, unsigned threads = 1);

// The bytes of every file of the export of a run of this shape, its
// numbers at kSixDigitChars.
double csvExportBytes(const RunShape& shape);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_CSV_EXPORT_H_
