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
#include "distributions/sample_rectangle.h"
#include "results/band_table.h"

namespace linprob {

bool sampleLess(SampleRectangle a, SampleRectangle b);

// The one line that stands for a position without samples, in the VALID and
// the INVALID table alike.
void printNoSamples(unsigned variable, std::ostream& out);

// Sorts one inner vector ascending by value with sampleLess. Values that are
// not numbers compare false with everything and would break the ordering that
// std::sort needs, so they are moved to the end first.
void sortSamples(std::vector<SampleRectangle>& samples);

// The band walk shared with the normal approximation, so that both walk the
// same borders bit for bit and open the same number of bands.
//
// The width of one band: (max - min) / H, the difference rounded first. An H
// below 1 counts as 1.
double bandWidth(double min, double max, int histogramPrecision);
// Whether a walk that has opened `bandsOpen` bands, the last of them ending at
// `upper`, may open one more: at most H + 1 bands, and none whose border would
// not move (upper + step == upper). The histogram always opens its first band;
// the approximation asks before each of its bands, the first included.
bool mayOpenBand(int bandsOpen, double upper, double step,
                 int histogramPrecision);

// Both require every inner vector sorted; histogramPrecision >= 1 (below 1
// counts as 1). Positions run over columnOrder; a missing or empty inner
// vector is a position without samples.
void printProbabilities(const SampleTable& results, const LinearSystem& system,
                        int histogramPrecision, std::ostream& out);
// bins[columnOrder[i]][matrix][mode][distribution]: key = upper border,
// value = band mass, valid side.
void storeHistogram(const SampleTable& results, const LinearSystem& system,
                    int histogramPrecision, ResultStore& store, int matrix,
                    int mode, int distribution);

// The same tables from bands already counted (PositionBands with count 0 is
// a position without samples). The SampleTable forms above tabulate the
// sorted samples with tabulateSorted and print or store through these.
void printProbabilities(const PhaseBands& bands, const LinearSystem& system,
                        std::ostream& out);
void storeHistogram(const PhaseBands& bands, const LinearSystem& system,
                    ResultStore& store, int matrix, int mode,
                    int distribution);

// tabulateSorted of every position of a sorted table (a missing or empty
// inner vector gives count 0).
PhaseBands tabulateSortedTable(const SampleTable& results,
                               int histogramPrecision);

}  // namespace linprob

#endif  // LINPROB_RESULTS_PROBABILITY_TABLE_H_
