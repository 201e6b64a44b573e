// Random-sampling producers: sampleCount independent right-hand sides, each
// entry drawn from its own distribution, queued as jobs of equal weight
// 1 / sampleCount computed in single precision, then the stopper.
//
// One std::random_device read seeds one std::mt19937 per phase; draws go
// sample by sample, entry by entry. Normal: mean p, deviation sqrt(q).
// Triangular: std::piecewise_linear_distribution over {p, (p + q) / 2, q}
// with densities {0, 2 / (q - p), 0}. Uniform: [p, q). A degenerate entry
// (variance 0, or p == q) is a constant: every draw is the value.
#ifndef LINPROB_DISTRIBUTIONS_SAMPLING_H_
#define LINPROB_DISTRIBUTIONS_SAMPLING_H_

#include <vector>

#include "distributions/job_queue.h"

namespace linprob {

// 1 / sampleCount evaluated in float, widened to double.
double sampleWeight(int sampleCount);

void sampleNormal(JobQueue& jobs, unsigned n, int sampleCount,
                  std::vector<double> Mean, std::vector<double> Variance);
void sampleTriangular(JobQueue& jobs, unsigned n, int sampleCount,
                      std::vector<double> Lower, std::vector<double> Upper);
void sampleUniform(JobQueue& jobs, unsigned n, int sampleCount,
                   std::vector<double> Lower, std::vector<double> Upper);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_SAMPLING_H_
