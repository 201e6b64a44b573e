// The coverage factor k of a 95 % interval ±k·u around an estimate whose
// standard error u rests on `degreesOfFreedom` degrees of freedom: the
// 0.975 quantile of Student's t distribution with that many (the normal
// distribution's 1.959963984540054 for infinitely many). Few batches or
// replicates give few degrees of freedom and a k well above 2 (12.71 for
// one, 2.131 for 15); many independent samples give about 1.96.
//
// Up to kTabledDegrees the quantiles are Boost.Math's, computed once on
// first use; beyond, the Cornish–Fisher expansion in 1/ν to its fourth
// term, within 1e-12 of the quantile there. NaN for fewer than one degree
// of freedom (or NaN).
#ifndef LINPROB_RESULTS_COVERAGE_FACTOR_H_
#define LINPROB_RESULTS_COVERAGE_FACTOR_H_

#include <cstdint>

namespace linprob {

inline constexpr std::uint64_t kTabledDegrees = 1000;
inline constexpr double kNormalQuantile975 = 1.959963984540054;

double coverageFactor(double degreesOfFreedom);

}  // namespace linprob

#endif  // LINPROB_RESULTS_COVERAGE_FACTOR_H_
