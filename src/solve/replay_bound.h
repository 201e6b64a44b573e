// Rigorous bounds on the rounding of a step replay.
//
// replaySteps computes every combination as fl(fl(f * source) + target) and
// every scaling as fl(row / pivot), in round-to-nearest double arithmetic.
// The same steps in exact arithmetic are a linear map L of the right-hand
// side. For every right-hand side b with |b_e| <= inputMagnitude[e],
// replayBound gives, for every row k after the replay,
//   |replayed_k(b)| <= magnitude[k],  |L b|_k <= magnitude[k],
//   |replayed_k(b) - (L b)_k| <= error[k].
// The bounds follow each step (u = 2^-53, eta = 2^-1074 for products and
// quotients that underflow; sums are exact when they underflow):
//   combination s -> t by f, S = |f| magnitude[s] + magnitude[t]:
//     error[t] += |f| error[s] + 4 u S + 2 eta,   magnitude[t] = (1 + 4u) S + 2 eta;
//   scaling of r by p:
//     error[r] = error[r] / |p| + u magnitude[r] / |p| + eta,
//     magnitude[r] = (1 + 2u) magnitude[r] / |p| + eta;
//   row exchange: both bounds swap; column exchange and invalid steps: none.
// Each bound is itself computed with every operation rounded upwards, so it
// is never below the true one. A bound that overflows is +inf, and a phase
// must then not rely on it (finite() is false). Cost: O(steps), no replay.
#ifndef LINPROB_SOLVE_REPLAY_BOUND_H_
#define LINPROB_SOLVE_REPLAY_BOUND_H_

#include <vector>

#include "linear/linear_system.h"

namespace linprob {

struct ReplayBound {
  std::vector<double> magnitude;
  std::vector<double> error;

  bool finite() const;
};

ReplayBound replayBound(const std::vector<step>& steps,
                        const std::vector<double>& inputMagnitude);

// a + b, a * b and a / b (a, b >= 0), rounded upwards: the nearest result
// moved one step towards +inf, never below the exact value.
double addUp(double a, double b);
double multiplyUp(double a, double b);
double divideUp(double a, double b);

}  // namespace linprob

#endif  // LINPROB_SOLVE_REPLAY_BOUND_H_
