// The condition number of a system's matrix in the infinity norm,
// kappa = ||A||inf * ||A^-1||inf, the factor by which the relative rounding
// error of the right-hand side can grow in the solution.
//
// ||A||inf is the largest absolute row sum of the matrix as read.
// ||A^-1||inf comes from the elimination itself: the recorded steps replayed
// on the n unit vectors give the computed inverse column by column (exactly
// the arithmetic every right-hand side of the run goes through), and its
// largest absolute row sum is taken. Solution position k of a replay holds
// unknown columnOrder[k], so position k of column j is A^-1(columnOrder[k], j).
// The unit vectors are replayed in groups of kConditionLanes, so the memory
// is n * kConditionLanes numbers whatever n (and, from kTiledReplayFrom
// unknowns on, the compiled schedule of the tiled replay, about n^2
// numbers, which gives the same values faster). `stop` is looked at between
// two groups (about a tenth of a second each at 2,000 unknowns), or, below
// kTiledReplayFrom, every kConditionStepsPerLook steps; once it is
// requested the result is NaN, which the caller must drop.
//
// A value that is not finite (an inverse too large for double) stays as it
// is: callers compare with !(kappa <= limit).
#ifndef LINPROB_LINEAR_CONDITION_NUMBER_H_
#define LINPROB_LINEAR_CONDITION_NUMBER_H_

#include <cstddef>
#include <stop_token>

#include "linear/linear_system.h"

namespace linprob {

inline constexpr std::size_t kConditionLanes = 64;
inline constexpr std::size_t kConditionStepsPerLook = 4096;

// The larger of a norm so far and a row's sum of magnitudes; a NaN, once
// met, stays: the norm is then not a number rather than a finite value
// that looks trustworthy (what every condition number here refuses).
double largerRowSum(double largest, double sum);

// ||A||inf of a loaded, not yet eliminated system.
double matrixNorm(const LinearSystem& loaded);
// ||A^-1||inf from the steps of an eliminated system.
double inverseNorm(const LinearSystem& eliminated,
                   const std::stop_token& stop = {});
// matrixNorm(loaded) * inverseNorm(eliminated).
double conditionNumber(const LinearSystem& loaded,
                       const LinearSystem& eliminated,
                       const std::stop_token& stop = {});

}  // namespace linprob

#endif  // LINPROB_LINEAR_CONDITION_NUMBER_H_
