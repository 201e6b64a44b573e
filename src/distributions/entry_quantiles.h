// The quantiles of the three families' entries, shared by their rows
// (distributions/family.h) and by the mapping of points into entries
// (distributions/inverse_cdf.h):
//   standard normal:  z(u) by Wichura's algorithm AS 241 (relative error
//                     below 1e-16; Boost.Math's inverse error function is
//                     wrong in double under -frounding-math and four times
//                     slower in long double), its tails taken on the smaller
//                     of u and 1 - u, so that z(1 - u) = -z(u) where 1 - u
//                     is exact;
//   symmetric triangular on [p, q], width w = q - p:
//                     p + w sqrt(u / 2) for u <= 1/2, q - w sqrt((1 - u) / 2)
//                     above;
//   uniform on [p, q]: p + w u, held below q as SampleBlocks does.
#ifndef LINPROB_DISTRIBUTIONS_ENTRY_QUANTILES_H_
#define LINPROB_DISTRIBUTIONS_ENTRY_QUANTILES_H_

namespace linprob {

double standardNormalQuantile(double u);
double triangularQuantile(double lower, double upper, double u);
double uniformQuantile(double lower, double upper, double u);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_ENTRY_QUANTILES_H_
