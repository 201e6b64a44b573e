// The INVALID tables: each solution position treated as normally distributed
// with the mean and variance propagated through the elimination steps, and
// evaluated over the same borders as the VALID histogram plus both tails.
//
// Walk per position: P(lower tail) = cdf(Min); for curr = Min while Max > curr
// (at most H + 1 bands, and only while curr + step moves): the band
// (curr, curr + step] gets cdf(curr + step) - cdf(curr); then the upper tail
// 1 - cdf(curr). Text per position:
//   Showing INVALID probabilities for variable number <columnOrder[i]>
//   Lower than <Min> : <P>
//   <curr> to <curr + step> : <P>
//   More than <curr> : <P>
// A zero variance is a point mass at the mean (cdf a step, 1 at x >= mean). A
// non-finite mean or variance gets the single line
//   No normal approximation exists for variable number <k>: its mean or variance is not finite.
// and nothing stored, and a negative variance the single line
//   No normal approximation exists for variable number <k>: its variance is negative.
// and nothing stored; a position without samples gets
//   No samples were solved for variable number <k>.
#ifndef LINPROB_RESULTS_NORMAL_APPROXIMATION_H_
#define LINPROB_RESULTS_NORMAL_APPROXIMATION_H_

#include <ostream>
#include <string>
#include <vector>

#include "linear/linear_system.h"
#include "linear/normal_parameters.h"
#include "results/result_store.h"
#include "distributions/sample_rectangle.h"
#include "results/band_table.h"

namespace linprob {

// Fill `approx` with n entries in equation order from the parameter file:
// normal (mean, variance) as read; triangular ((p + q) / 2, (q - p)^2 / 24);
// uniform ((p + q) / 2, (q - p)^2 / 12). Return "" or the readNumbers problem;
// the pairs a faulty file does not supply get a mean and a variance that are
// not numbers (no approximation for them).
std::string readNormalApprox(std::vector<NormalParameters>& approx,
                             const std::string& path, unsigned n);
std::string readTriangularApprox(std::vector<NormalParameters>& approx,
                                 const std::string& path, unsigned n);
std::string readUniformApprox(std::vector<NormalParameters>& approx,
                              const std::string& path, unsigned n);

// `approx` holds the replayed moments by solution position; a position beyond
// its end has no approximation. The table must still be sorted.
void printApproxProbabilities(std::vector<NormalParameters> approx,
                              int histogramPrecision,
                              const SampleTable& results,
                              const LinearSystem& system, std::ostream& out);
// lowerTail (key Min), bins (key = upper border), upperTail (key = last
// border) of [columnOrder[i]][matrix][mode][distribution], invalid side.
void storeApproxProbabilities(std::vector<NormalParameters> approx,
                              int histogramPrecision,
                              const SampleTable& results,
                              const LinearSystem& system, ResultStore& store,
                              int matrix, int mode, int distribution);

// The same tables over bands already counted: min, max and count of each
// position come from `bands` (count 0: no samples).
void printApproxProbabilities(std::vector<NormalParameters> approx,
                              int histogramPrecision, const PhaseBands& bands,
                              const LinearSystem& system, std::ostream& out);
void storeApproxProbabilities(std::vector<NormalParameters> approx,
                              int histogramPrecision, const PhaseBands& bands,
                              const LinearSystem& system, ResultStore& store,
                              int matrix, int mode, int distribution);

}  // namespace linprob

#endif  // LINPROB_RESULTS_NORMAL_APPROXIMATION_H_
