// The time of one sample of a random matrix's phase: its n + n^2 entries
// drawn and its system eliminated and solved kBatchLanes at a time
// (linear/sample_batch.h), a model fitted to bench/random_matrix_benchmark.cc
// and to whole phases on the development machine (one core: about 0.05,
// 0.32 and 31 us of elimination at n = 4, 10 and 50 near a well-conditioned
// mean, 0.07, 0.40 and 64 us where the inverse decides every batch; 12 ns
// a drawn normal entry), and the --check line of a run with random
// matrices.
#ifndef LINPROB_COST_SAMPLE_TIMING_H_
#define LINPROB_COST_SAMPLE_TIMING_H_

#include <string>

namespace linprob {

double randomMatrixSampleSeconds(unsigned n);

// "Random matrix: 1 of 5 systems (NormalMatice.txt or UniformMatice.txt):
// each sample drawn with its matrix and eliminated on its own (about 100 us
// a sample at n = 50, one thread); INVALID the first-order approximation
// at the mean matrix"
std::string randomMatrixLine(int systems, int of, unsigned n);

}  // namespace linprob

#endif  // LINPROB_COST_SAMPLE_TIMING_H_
