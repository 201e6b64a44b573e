// What a run cannot do with a system's random matrix (its parameters already
// found sound): refusals, one line each after the file's path.
//
// - Enumeration of more combinations of one cell per entry of the matrix
//   and the right-hand side, cells^(n^2 + n), than 64 bits count: "...
//   would take 50^12 (about 2.4e+20) combinations, too many to count in 64
//   bits: sample it (ExactDistributions 0, or --points random, sobol or
//   lhs)".
// - Correlated entries (Correlation.txt): their copula is of the
//   right-hand side's n entries alone.
// - Sobol' points, of at most kSobolMaxDimensions coordinates, where the
//   matrix and the right-hand side need more.
#ifndef LINPROB_CHECK_RANDOM_MATRIX_CHECK_H_
#define LINPROB_CHECK_RANDOM_MATRIX_CHECK_H_

#include <string>
#include <vector>

#include "config/run_config.h"
#include "results/system_reference.h"

namespace linprob {

// `folder` is the system's folder with its slash ("Matrix0/"); each random
// matrix of `numbers` has its 2 n^2 numbers, found sound.
void checkRandomMatrixUse(const std::string& folder,
                          const SystemNumbers& numbers,
                          const RunConfig& config,
                          std::vector<std::string>& errors);

}  // namespace linprob

#endif  // LINPROB_CHECK_RANDOM_MATRIX_CHECK_H_
