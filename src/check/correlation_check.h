// The start-of-run check of a system's correlation matrix
// ("Correlation.txt", distributions/entry_correlation.h), from a file or
// handed over in memory alike.
#ifndef LINPROB_CHECK_CORRELATION_CHECK_H_
#define LINPROB_CHECK_CORRELATION_CHECK_H_

#include <string>
#include <vector>

namespace linprob {

// Appends to `errors`, each after "<folder>Correlation.txt: ", what is wrong
// with R (n x n numbers, as read): the problems checkCorrelation finds.
// Returns whether R is sound.
bool checkCorrelationOf(const std::string& folder,
                        const std::vector<double>& r, unsigned n,
                        std::vector<std::string>& errors);

}  // namespace linprob

#endif  // LINPROB_CHECK_CORRELATION_CHECK_H_
