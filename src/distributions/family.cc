#include "distributions/family.h"

#include <cmath>
#include <cstddef>

#include "distributions/inverse_cdf.h"
#include "linear/exact_moments.h"

namespace linprob {
namespace {

// Moments of a distribution on [low, up] with variance (up - low)^2 / divisor.
NormalParameters boundedMoments(double low, double up, double divisor) {
  const double sum = low + up;
  const double width = up - low;
  // The square is rounded before the division.
  const double square = width * width;
  return NormalParameters{sum / 2.0, square / divisor};
}

}  // namespace

namespace family_rows {

NormalParameters normalMoments(double mean, double variance) {
  return NormalParameters{mean, variance};
}
NormalParameters triangularMoments(double lower, double upper) {
  return boundedMoments(lower, upper, 24.0);
}
NormalParameters uniformMoments(double lower, double upper) {
  return boundedMoments(lower, upper, 12.0);
}

EntryMoments exactNormalMoments(double mean, double variance) {
  return normalEntryMoments(mean, variance);
}
EntryMoments exactTriangularMoments(double lower, double upper) {
  return boundedEntryMoments(lower, upper, 24);
}
EntryMoments exactUniformMoments(double lower, double upper) {
  return boundedEntryMoments(lower, upper, 12);
}

// The mean plus or minus kSamplingDeviations standard deviations, far
// beyond anything the normal draws reach; a variance of 0 is the mean
// itself.
SamplingRange normalRange(double mean, double variance) {
  const double reach = kSamplingDeviations * std::sqrt(variance);
  return SamplingRange{mean - reach, mean + reach};
}
SamplingRange boundedRange(double lower, double upper) {
  return SamplingRange{lower, upper};
}

// As InverseCdf maps the entries of the three families.
double normalQuantile(double mean, double variance, double u) {
  if (variance == 0.0) return mean;
  const double scaled = std::sqrt(variance) * standardNormalQuantile(u);
  return mean + scaled;
}
double triangularQuantile(double lower, double upper, double u) {
  return linprob::triangularQuantile(lower, upper, u);
}
double uniformQuantile(double lower, double upper, double u) {
  return linprob::uniformQuantile(lower, upper, u);
}

}  // namespace family_rows

ParameterPairs splitPairs(const std::vector<double>& values, unsigned n) {
  ParameterPairs pairs;
  pairs.first.reserve(n);
  pairs.second.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    pairs.first.push_back(values[2 * i]);
    pairs.second.push_back(values[2 * i + 1]);
  }
  return pairs;
}

std::vector<NormalParameters> familyMoments(const FamilyInfo& family,
                                            const ParameterPairs& pairs) {
  std::vector<NormalParameters> moments;
  moments.reserve(pairs.first.size());
  for (std::size_t i = 0; i < pairs.first.size(); ++i) {
    moments.push_back(family.moments(pairs.first[i], pairs.second[i]));
  }
  return moments;
}

}  // namespace linprob
