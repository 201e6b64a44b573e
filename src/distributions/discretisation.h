// Discretisation of the right-hand-side distributions into weighted cells.
//
// Normal: cell width w = 2.2493653 * s / cellCount^0.75, values m * w + start
// with start = mean - (w / 2) * cellCount, weights the normal density at the
// values, normalised. Triangular on [a, b]: w = (b - a) / cellCount, the lower
// half at midpoints a + m * w + w / 2 weighted value - a, the upper half
// anchored at the mode c = (a + b) / 2, (m - half) * w + c + w / 2, weighted
// b - value (held at 0 where rounding puts the last value beyond b),
// normalised. Uniform: lower cell edges a + m * w, each 1/cellCount.
//
// A degenerate entry (variance 0, or a == b) is a known constant: every cell
// takes that value with probability 1/cellCount. A triangular entry whose
// weights are all zero (cellCount 1) likewise puts its cells at the mode with
// probability 1/cellCount instead of dividing 0 by 0.
#ifndef LINPROB_DISTRIBUTIONS_DISCRETISATION_H_
#define LINPROB_DISTRIBUTIONS_DISCRETISATION_H_

#include <vector>

#include "distributions/sample_rectangle.h"

namespace linprob {

inline constexpr double kNormalWidthFactor = 2.2493653;

double normalCellWidth(int cellCount, double deviation);

// Tables of cellCount rows of n cells; empty for cellCount <= 0.
RectangleTable normalCells(unsigned n, int cellCount,
                           const std::vector<double>& Mean,
                           const std::vector<double>& Variance);
RectangleTable triangularCells(unsigned n, int cellCount,
                               const std::vector<double>& Lower,
                               const std::vector<double>& Upper);
RectangleTable uniformCells(unsigned n, int cellCount,
                            const std::vector<double>& Lower,
                            const std::vector<double>& Upper);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_DISCRETISATION_H_
