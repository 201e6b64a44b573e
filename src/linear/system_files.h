// The three input files of a system: "Matice.txt" (n*n numbers, row by row),
// "RealRHS.txt" (n numbers) and "IntRHS.txt" (n pairs lower, upper).
//
// Each loader returns ok, or the problem (as worded by readNumbers, or the
// refused interval of an IntRHS pair) without touching its output. The
// driver checks every file before the run, so a problem here means the file
// changed while the program ran.
#ifndef LINPROB_LINEAR_SYSTEM_FILES_H_
#define LINPROB_LINEAR_SYSTEM_FILES_H_

#include <stop_token>
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

// The number read as the j-th value of the i-th group goes to matrix[j][i].
// The reading ends early, "reading stopped", once `stop` is requested.
Status loadMatrix(const std::string& path, LinearSystem& system,
                  const std::stop_token& stop = {});
// The same from the n * n numbers of the file, in the file's order.
void setMatrixRows(const std::vector<double>& rowMajor, LinearSystem& system);
// Appends n degenerate intervals [b, b].
Status loadRealRhs(const std::string& path, unsigned n,
                   std::vector<Interval>& rhs);
// Appends n intervals [lower, upper]. A pair whose lower end is above its
// upper end is refused, in the words of the other pairs' files: "pair 2 has
// its lower end above its upper end (3 > 1)" (pairs counted from 0, each
// end in the fewest digits that read back as it).
Status loadIntervalRhs(const std::string& path, unsigned n,
                       std::vector<Interval>& rhs);
// The same refusal for the numbers of an IntRHS file already read (lower,
// upper, ...): ok, or the first reversed pair.
Status checkIntervalPairs(const std::vector<double>& bounds);

}  // namespace linprob

#endif  // LINPROB_LINEAR_SYSTEM_FILES_H_
