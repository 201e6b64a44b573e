// The floating-point half of the certified inverse (linear/certified_inverse.h):
// an approximate inverse of a square matrix and products of square matrices,
// in plain double arithmetic. Whatever they return is checked there in exact
// arithmetic, so their rounding errors cost accuracy, never correctness, and
// their order of operations is free (they need not follow any recorded one).
//
// Matrices are n * n, row-major. Both functions look at `stop` after each
// row of work (at most about n^2 operations, a few milliseconds at n = 2000)
// and return at once when it is requested, leaving the output unspecified.
// No state is shared: any number of threads may call them.
#ifndef LINPROB_LINEAR_APPROXIMATE_INVERSE_H_
#define LINPROB_LINEAR_APPROXIMATE_INVERSE_H_

#include <stop_token>
#include <vector>

namespace linprob {

enum class ApproximateOutcome { kDone, kSingular, kStopped };

// Gauss-Jordan elimination with partial pivoting. kSingular: a pivot is 0 or
// not finite, or the inverse overflows.
ApproximateOutcome approximateInverse(unsigned n,
                                      const std::vector<double>& matrix,
                                      std::vector<double>& inverse,
                                      const std::stop_token& stop);

// product = left * right, blocked so that each block of `right` is reused
// from the cache. kDone or kStopped.
ApproximateOutcome multiplyMatrices(unsigned n, const std::vector<double>& left,
                                    const std::vector<double>& right,
                                    std::vector<double>& product,
                                    const std::stop_token& stop);

}  // namespace linprob

#endif  // LINPROB_LINEAR_APPROXIMATE_INVERSE_H_
