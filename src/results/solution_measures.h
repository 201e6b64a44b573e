// How far the deterministic pass of one system under one pivoting mode lies
// from the exact references, per unknown:
//   forwardErrorUlps        |replay - true| in units of the last place of the
//                           true solution t (2^(e - 52) for t in [2^e,
//                           2^(e+1)), 2^-1074 below the normal range): the
//                           difference rounded once, then scaled exactly.
//                           None when the two are equal, when t is 0 (it has
//                           no last place to count in) or without a
//                           reference (or true value);
//   intervalOverestimation  the interval solution's width over the exact
//                           hull's (each width and the quotient rounded to
//                           nearest). None for a hull of width 0 or without a
//                           reference (or hull).
// `plainReplay` is the point: the RealRHS.txt replay in doubles, so that the
// forward error is that of the plain solve (the ends of the replay in
// intervals would measure the intervals' overestimation instead).
#ifndef LINPROB_RESULTS_SOLUTION_MEASURES_H_
#define LINPROB_RESULTS_SOLUTION_MEASURES_H_

#include <optional>

#include "linear/exact_reference.h"
#include "linear/interval.h"

namespace linprob {

struct SolutionMeasures {
  std::optional<double> forwardErrorUlps;
  std::optional<double> intervalOverestimation;
};

std::optional<double> forwardErrorUlps(double value, double truth);
std::optional<double> intervalOverestimation(const Interval& interval,
                                             const ValueBounds& hull);

// The measures of `unknown` (input index).
SolutionMeasures measureSolution(double plainReplay, const Interval& interval,
                                 const ExactReference& reference,
                                 unsigned unknown);

}  // namespace linprob

#endif  // LINPROB_RESULTS_SOLUTION_MEASURES_H_
