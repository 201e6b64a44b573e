// The standard errors of the shortest 95 % interval's ends. The shortest
// interval is found by a search over the histogram, like a mode, and its
// ends settle as the cube root of the samples, not their square root: no
// formula of the samples gives their spread, so it comes from the batches
// that each hold at least kFewestSubsampleJobs samples, each a subsample of
// the phase (subsampleError, batch_spread.h), with h - 1 degrees of freedom
// for h such batches. The rate is 1/3 for independent samples and Latin
// hypercube designs; the error of scrambled Sobol' points near an edge is
// rougher than that of independent samples, and their shortest interval
// settles more slowly against their own means: taken at 2/7 (shortestRate,
// the kind's row in point_kinds.h).
//
// The histogram's resolution adds to that: near the shortest interval the
// width changes little as the interval slides, so several left borders
// give intervals of the least width in whole sub-bands, and the search
// takes the leftmost of them. The span of those ties (tieSpans) is part of
// each end's uncertainty however many samples there are: it is added as
// a bias of up to half the span, (span / 2)^2 to u^2.
#ifndef LINPROB_RESULTS_SHORTEST_ERRORS_H_
#define LINPROB_RESULTS_SHORTEST_ERRORS_H_

#include <cstdint>
#include <vector>

#include "distributions/point_kinds.h"
#include "results/batch_estimates.h"
#include "solve/fine_histogram.h"

namespace linprob {

struct ShortestErrors {
  double lower = 0.0;  // NaN with fewer than two batches taken
  double upper = 0.0;
  double degreesOfFreedom = 0.0;
};

// estimates: the position's batch estimates; total: the position's whole
// mass, jobs: its samples (so that a batch's samples are jobs times its
// fraction of the mass); fine: its histogram, for the ties. The errors come
// for the coverage factor k of the phase: the subsampling's own, for its
// degrees of freedom, is taken into them (times its factor over k).
ShortestErrors shortestErrors(const std::vector<BatchEstimate>& estimates,
                              double total, std::uint64_t jobs,
                              const FineHistogram& fine, double k,
                              double rate);
double shortestRate(PointKind points);

// The spans of the values of the lower and the upper ends of every interval
// of the least width that holds 95 % of the histogram's mass.
struct TieSpans {
  double lower = 0.0;
  double upper = 0.0;
};
TieSpans tieSpans(const FineHistogram& histogram);

}  // namespace linprob

#endif  // LINPROB_RESULTS_SHORTEST_ERRORS_H_
