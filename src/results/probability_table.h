// The VALID probability tables: a histogram of each solution position's
// solved samples over H equal-width bands between the smallest (Min) and the
// largest (Max) solved value.
//
// Borders: b0 = Min, b_k = b_{k-1} + step with step = (Max - Min) / H, always
// by repeated addition, so that the normal approximation walks bit-identical
// borders. Band k holds b_{k-1} < v <= b_k; values equal to Min go to band 1.
// The last band is the first whose upper border is not below Max: band H, or
// H + 1 when rounding leaves b_H just below Max. The walk never opens more
// than H + 1 bands, nor a band whose border would not move (b + step == b):
// the remaining samples then go to the last open band.
//
// Text per position:
//   Showing probabilities for variable number <columnOrder[i]>
//   <Min : 0
//   <lower> to <upper> : P=<mass>      (one line per band, lower = upper-step)
// A position without samples gets the single line
//   No samples were solved for variable number <columnOrder[i]>.
// and nothing stored.
#ifndef LINPROB_RESULTS_PROBABILITY_TABLE_H_
#define LINPROB_RESULTS_PROBABILITY_TABLE_H_

#include <ostream>

#include "distributions/sample_rectangle.h"
#include "linear/linear_system.h"
#include "results/result_store.h"
#include "results/solver_threads.h"

namespace linprob {

bool sampleLess(SampleRectangle a, SampleRectangle b);

// Sorts one inner vector ascending by value.
void sortSamples(std::vector<SampleRectangle>& samples);

// Both require every inner vector sorted; histogramPrecision >= 1.
void printProbabilities(const SampleTable& results, const LinearSystem& system,
                        int histogramPrecision, std::ostream& out);
// bins[columnOrder[i]][matrix][mode][distribution]: key = upper border,
// value = band mass, valid side.
void storeHistogram(const SampleTable& results, const LinearSystem& system,
                    int histogramPrecision, ResultStore& store, int matrix,
                    int mode, int distribution);

}  // namespace linprob

#endif  // LINPROB_RESULTS_PROBABILITY_TABLE_H_
