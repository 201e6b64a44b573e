// The --digits D rule (D = 1 ... 4): a sampling phase is stable once, for
// every unknown, the expanded uncertainty k u (u the standard error, k its
// coverage factor: ±k u is a 95 % interval) of the mean, of the standard
// deviation and of both ends of the symmetric 95 % interval is at most the
// numerical tolerance delta of the standard deviation.
//
// numericalTolerance(value, D): |value| rounded to D significant digits is
// c * 10^l with c a D-digit integer; delta = 10^l / 2. The rounding comes
// first, so 0.0999 to two digits is 0.10 (c = 10, l = -2, delta = 0.005),
// and 0.0123 is 12 * 10^-3 (delta = 0.0005). The decimal rounding is the C
// library's (exact), and delta is the double nearest 5 * 10^(l-1). A value
// of 0 has delta 0; one that is not finite has delta NaN.
//
// precisionReached: whether every unknown meets the rule. An unknown with
// sd 0 meets it when its errors are 0 too; an error that is NaN (too few
// samples or replicates, no interval) never does, nor does an empty list.
//
// neededGrowth: by how much the samples behind `unknowns` would have to
// grow for every unknown to meet the rule, standard errors shrinking as the
// square root of the samples: the largest (k u / delta)^2 over every error
// u, 1 or less when the rule is met. Infinite where no growth is known to
// be enough: an error that is NaN, a delta of 0 beside an error above 0, an
// empty list.
#ifndef LINPROB_RESULTS_DIGITS_RULE_H_
#define LINPROB_RESULTS_DIGITS_RULE_H_

#include <cstdint>
#include <span>
#include <vector>

namespace linprob {

inline constexpr int kFewestDigits = 1;
inline constexpr int kMostDigits = 4;

// Throws std::invalid_argument "digits: 5 is not within 1 ... 4".
double numericalTolerance(double value, int digits);

struct UnknownPrecision {
  double sd = 0.0;
  double meanError = 0.0;
  double sdError = 0.0;
  double symmetricLowerError = 0.0;
  double symmetricUpperError = 0.0;
  // k of the errors above: k u is the half-width of their 95 % interval.
  double coverageFactor = 2.0;
};

bool precisionReached(std::span<const UnknownPrecision> unknowns, int digits);
double neededGrowth(std::span<const UnknownPrecision> unknowns, int digits);

// How a --digits phase ended: its last round met the rule, or it was the
// round at the SampleCount ceiling and did not.
enum class DigitsEnd { kRuleMet, kCeilingReached };

struct DigitsStop {
  int digits = 0;
  std::uint64_t mostSamples = 0;  // the ceiling, SampleCount
  DigitsEnd end = DigitsEnd::kRuleMet;
  // The samples of each round tried, in order (the last one's results are
  // the phase's).
  std::vector<std::uint64_t> roundSamples;
};

}  // namespace linprob

#endif  // LINPROB_RESULTS_DIGITS_RULE_H_
