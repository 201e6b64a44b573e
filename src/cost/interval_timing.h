// The time of a system's interval matrix (IntMatice.txt), its naive
// eliminations, verified enclosures and exact hull, on one thread: a fixed
// model from their benchmark (bench/interval_matrix_benchmark.cc) on the
// development machine, not calibrated per run: about 1.0e-9 n^3 s for a
// naive elimination (four of them), 4.0e-9 n^3 s for the verified
// enclosures, and 0.73 s (n / 12)^3 2^(n-12) for the exact hull up to 12
// unknowns (2^n sign vectors).
#ifndef LINPROB_COST_INTERVAL_TIMING_H_
#define LINPROB_COST_INTERVAL_TIMING_H_

#include <string>

namespace linprob {

double intervalMatrixSeconds(unsigned n);

// The --check line of `systems` of `of` systems with an interval matrix:
// "Interval matrix: 1 of 5 systems (IntMatice.txt): naive elimination
// under each pivoting mode, ... (2^4 = 16 here); about 0.00011 s of one
// thread each".
std::string intervalMatrixLine(int systems, int of, unsigned n);

}  // namespace linprob

#endif  // LINPROB_COST_INTERVAL_TIMING_H_
