// The straightforward reference the tests hold the fast phase against: every
// solved value kept with its job's probability, sorted, and walked band by
// band from the smallest to the largest.
#ifndef LINPROB_TESTS_SUPPORT_SORTED_REFERENCE_H_
#define LINPROB_TESTS_SUPPORT_SORTED_REFERENCE_H_

#include <vector>

#include "distributions/sample_rectangle.h"
#include "solve/band_table.h"

namespace linprob::testing {

// Solved samples of one phase, [solution position][sample].
using SampleTable = std::vector<std::vector<SampleRectangle>>;

bool sampleLess(SampleRectangle a, SampleRectangle b);

// Sorts one inner vector ascending by value with sampleLess. Values that are
// not numbers compare false with everything and would break the ordering that
// std::sort needs, so they are moved to the end first.
void sortSamples(std::vector<SampleRectangle>& samples);

// The walk over one position's samples, sorted ascending: a sample closes
// bands while it lies above the current border and another band exists;
// masses are summed in sorted order from 0.0.
PositionBands tabulateSorted(const std::vector<SampleRectangle>& sorted,
                             int histogramPrecision);

// tabulateSorted of every position of a sorted table (an empty inner vector
// gives count 0).
PhaseBands tabulateSortedTable(const SampleTable& results,
                               int histogramPrecision);

}  // namespace linprob::testing

#endif  // LINPROB_TESTS_SUPPORT_SORTED_REFERENCE_H_
