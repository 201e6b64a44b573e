// The start-of-run check of a system's correlation matrix
// ("Correlation.txt", distributions/entry_correlation.h), from a file or
// handed over in memory alike.
#ifndef LINPROB_CHECK_CORRELATION_CHECK_H_
#define LINPROB_CHECK_CORRELATION_CHECK_H_

#include <string>
#include <vector>

#include "config/run_config.h"

namespace linprob {

// Appends to `errors`, each after "<folder>Correlation.txt: ", what is wrong
// with R (n x n numbers, as read): the problems checkCorrelation finds,
// and, in a run that enumerates, that correlated entries are sampled only:
//   "Matrix0/Correlation.txt: correlated entries are sampled, not
//    enumerated: set ExactDistributions 0 in Settings.txt (with --points
//    random, sobol or lhs)"
// Returns whether R is sound for the run.
bool checkCorrelationOf(const std::string& folder,
                        const std::vector<double>& r, unsigned n,
                        const RunConfig& config,
                        std::vector<std::string>& errors);

}  // namespace linprob

#endif  // LINPROB_CHECK_CORRELATION_CHECK_H_
