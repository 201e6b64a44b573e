// Standard errors from the spread of independent batches' estimates. Each
// batch r holds a fraction f_r of the phase's mass (f_r = w_r / W, the shares
// summing to 1; batches may differ in size) and gives its own estimate y_r
// (or, for the jackknife, the phase's estimate without it). Each function
// gives u with h - 1 degrees of freedom for h batches, NaN with fewer than
// two.
//
// batchStandardError: of the weighted mean of the estimates, for estimates
// that are themselves means (the phase's mean, a band's mass):
//   ybar = sum w y / W,   u^2 = h / (h - 1) * sum f^2 (y - ybar)^2;
// with equal shares sqrt(sum (y - ybar)^2 / (h (h - 1))).
//
// jackknifeError: of a smooth function of the whole phase's sums (its sd),
// by the delete-a-group jackknife for groups of unequal size (Busing,
// Meijer and van der Leeden): with t the phase's estimate, t_r the estimate
// without batch r and g_r = 1 / f_r,
//   p_r = g_r t - (g_r - 1) t_r,  t_J = h t - sum (1 - f_r) t_r,
//   u^2 = 1/h sum (p_r - t_J)^2 / (g_r - 1);
// with equal shares (h - 1) / h sum (t_r - mean t_r)^2.
//
// subsampleError: of an estimate whose error shrinks as the samples to the
// power -rate, not -1/2 (the ends of the shortest interval, a mode-like
// search: rate 1/3 for independent samples), by subsampling: each batch is a
// subsample of the phase at the fraction f_r of its size, so its estimate
// spreads f_r^(-rate) times as much,
//   u^2 = 1 / (h - 1) sum f_r^(2 rate) (y_r - ybar)^2,   ybar the plain mean.
#ifndef LINPROB_RESULTS_BATCH_SPREAD_H_
#define LINPROB_RESULTS_BATCH_SPREAD_H_

#include <span>

namespace linprob {

double batchStandardError(std::span<const double> weights,
                          std::span<const double> estimates);
double jackknifeError(std::span<const double> shares, double estimate,
                      std::span<const double> leftOut);
double subsampleError(std::span<const double> shares,
                      std::span<const double> estimates, double rate);

}  // namespace linprob

#endif  // LINPROB_RESULTS_BATCH_SPREAD_H_
