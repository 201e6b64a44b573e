// NormalTable: a normal distribution evaluated over the bands of one
// position's VALID histogram (b_0 = min, b_1 ... b_K), with both tails. The
// INVALID approximation and the exact linear propagation are both held so;
// phase_result.h says how the table is walked.
#ifndef LINPROB_RESULTS_NORMAL_TABLE_H_
#define LINPROB_RESULTS_NORMAL_TABLE_H_

#include <vector>

namespace linprob {

struct NormalTable {
  double lowerTail = 0.0;        // P(X <= min)
  std::vector<double> masses;    // P(b_{k-1} < X <= b_k), one per band walked
  double upperBorder = 0.0;      // the last border walked (min when none)
  double upperTail = 0.0;        // P(X > upperBorder)
};

}  // namespace linprob

#endif  // LINPROB_RESULTS_NORMAL_TABLE_H_
