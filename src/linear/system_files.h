// The three input files of a system: "Matice.txt" (n*n numbers, row by row),
// "RealRHS.txt" (n numbers) and "IntRHS.txt" (n pairs lower, upper), as the
// driver reads them once (base/number_file.h) and hands them on.
#ifndef LINPROB_LINEAR_SYSTEM_FILES_H_
#define LINPROB_LINEAR_SYSTEM_FILES_H_

#include <string>
#include <vector>

#include "base/status.h"
#include "linear/interval.h"
#include "linear/linear_system.h"

namespace linprob {

// The folder of system i, "Matrix<i>/", and the names of its three files.
inline std::string systemFolder(long long system) {
  return "Matrix" + std::to_string(system) + "/";
}
inline constexpr const char* kMatrixFile = "Matice.txt";
inline constexpr const char* kRealRhsFile = "RealRHS.txt";
inline constexpr const char* kIntervalRhsFile = "IntRHS.txt";
// The interval matrix a system may have beside them (n * n pairs lower,
// upper, row by row), whose results go to the report only.
inline constexpr const char* kIntervalMatrixFile = "IntMatice.txt";

// The n * n numbers of a matrix file, in the file's order (row by row),
// into the system's storage by columns: the j-th value of the i-th row
// goes to matrix[j][i].
void setMatrixRows(const std::vector<double>& rowMajor, LinearSystem& system);
// The numbers of an IntRHS file (lower, upper, ...): ok, or the first pair
// whose lower end is above its upper end, in the words of the other pairs'
// files: "pair 2 has its lower end above its upper end (3 > 1)" (pairs
// counted from 0, each end in the fewest digits that read back as it).
Status checkIntervalPairs(const std::vector<double>& bounds);
// The same for an interval matrix's n * n pairs, row by row, the pair
// named by its row and column: "row 1, column 0 has its lower end above
// its upper end (3 > 1)".
Status checkIntervalMatrixPairs(const std::vector<double>& bounds, unsigned n);

}  // namespace linprob

#endif  // LINPROB_LINEAR_SYSTEM_FILES_H_
