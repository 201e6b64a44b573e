#include "linear/exact_moments.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "linear/dyadic_form.h"
#include "linear/rational_rounding.h"

namespace linprob {

using boost::multiprecision::cpp_int;
using boost::multiprecision::cpp_rational;

namespace {

// Integers k_j with rationals[j] = k_j / common, common the least common
// multiple of the denominators, so one sum of integer products replaces a
// sum of fractions.
cpp_int commonNumerators(const std::vector<const cpp_rational*>& rationals,
                         std::vector<cpp_int>& numerators) {
  cpp_int common = 1;
  for (const cpp_rational* q : rationals) {
    common = boost::multiprecision::lcm(common, denominator(*q));
  }
  numerators.resize(rationals.size());
  for (std::size_t j = 0; j < rationals.size(); ++j) {
    numerators[j] = numerator(*rationals[j]) * (common / denominator(*rationals[j]));
  }
  return common;
}

}  // namespace

EntryMoments boundedEntryMoments(double lower, double upper, int divisor) {
  if (!std::isfinite(lower) || !std::isfinite(upper)) {
    throw std::invalid_argument("exact moments: bounds are not finite");
  }
  if (lower > upper) {
    throw std::invalid_argument("exact moments: lower bound above upper bound");
  }
  const cpp_rational p = exactRationalOf(lower);
  const cpp_rational q = exactRationalOf(upper);
  const cpp_rational width = q - p;
  EntryMoments moments;
  moments.mean = (p + q) / 2;
  moments.variance = width * width / divisor;
  return moments;
}

EntryMoments normalEntryMoments(double mean, double variance) {
  if (!std::isfinite(mean) || !std::isfinite(variance)) {
    throw std::invalid_argument(
        "exact moments: normal mean or variance is not finite");
  }
  if (variance < 0.0) {
    throw std::invalid_argument("exact moments: normal variance is negative");
  }
  return EntryMoments{exactRationalOf(mean), exactRationalOf(variance)};
}

EntryMoments discretisedEntryMoments(const std::vector<double>& values,
                                     const std::vector<double>& weights) {
  if (values.size() != weights.size()) {
    throw std::invalid_argument("exact moments: " +
                                std::to_string(values.size()) +
                                " cell values but " +
                                std::to_string(weights.size()) + " weights");
  }
  if (values.empty()) throw std::invalid_argument("exact moments: no cells");
  for (std::size_t m = 0; m < values.size(); ++m) {
    if (!std::isfinite(values[m]) || !std::isfinite(weights[m])) {
      throw std::invalid_argument("exact moments: cell " + std::to_string(m) +
                                  " is not finite");
    }
    if (weights[m] < 0.0) {
      throw std::invalid_argument("exact moments: cell weight " +
                                  std::to_string(m) + " is negative");
    }
  }
  // v = V 2^ev and w = W 2^ew; the weights' power of two cancels.
  const DyadicVector v = dyadicVectorOf(values);
  const DyadicVector w = dyadicVectorOf(weights);
  cpp_int total = 0;   // sum W
  cpp_int first = 0;   // sum W V
  cpp_int second = 0;  // sum W V^2
  cpp_int weighted;
  for (std::size_t m = 0; m < values.size(); ++m) {
    weighted = w.integers[m] * v.integers[m];
    total += w.integers[m];
    first += weighted;
    second += weighted * v.integers[m];
  }
  if (total == 0) {
    throw std::invalid_argument("exact moments: the cell weights sum to 0");
  }
  // mean = (first / total) 2^ev; variance = second / total - mean^2
  //      = (second total - first^2) / total^2 2^(2 ev).
  EntryMoments moments;
  moments.mean = scaledByPowerOfTwo(first, v.exponent) / total;
  const cpp_int spread = second * total - first * first;
  moments.variance =
      scaledByPowerOfTwo(spread, 2 * v.exponent) / cpp_rational(total * total);
  return moments;
}

void checkEntryMoments(unsigned n, const std::vector<EntryMoments>& entries) {
  if (entries.size() != n) {
    throw std::invalid_argument("exact moments: " +
                                std::to_string(entries.size()) +
                                " entries, not " + std::to_string(n));
  }
  for (unsigned j = 0; j < n; ++j) {
    if (entries[j].variance < 0) {
      throw std::invalid_argument("exact moments: entry " + std::to_string(j) +
                                  " has a negative variance");
    }
  }
}

std::vector<UnknownMoments> propagateMoments(
    const ExactRows& rows, const std::vector<EntryMoments>& entries) {
  const unsigned n = rows.size();
  checkEntryMoments(n, entries);
  std::vector<const cpp_rational*> means(n);
  std::vector<const cpp_rational*> variances(n);
  for (unsigned j = 0; j < n; ++j) {
    means[j] = &entries[j].mean;
    variances[j] = &entries[j].variance;
  }
  std::vector<cpp_int> meanNumerators;
  std::vector<cpp_int> varianceNumerators;
  const cpp_int meanCommon = commonNumerators(means, meanNumerators);
  const cpp_int varianceCommon = commonNumerators(variances, varianceNumerators);
  // (A^-1)ij = N_ij / D: mean_i = sum N_ij m_j / (D L), variance_i =
  // sum N_ij^2 v_j / (D^2 Lv).
  const cpp_int& d = rows.denominator();
  const cpp_int meanDenominator = d * meanCommon;
  const cpp_int varianceDenominator = d * d * varianceCommon;
  std::vector<UnknownMoments> result(rows.rows().size());
  cpp_int meanSum;
  cpp_int varianceSum;
  for (std::size_t k = 0; k < result.size(); ++k) {
    meanSum = 0;
    varianceSum = 0;
    for (unsigned j = 0; j < n; ++j) {
      const cpp_int& entry = rows.numerator(k, j);
      meanSum += entry * meanNumerators[j];
      varianceSum += entry * entry * varianceNumerators[j];
    }
    result[k].mean = roundQuotient(meanSum, meanDenominator, 0,
                                   RoundingDirection::kToNearest);
    result[k].variance = roundQuotient(varianceSum, varianceDenominator, 0,
                                       RoundingDirection::kToNearest);
  }
  return result;
}

}  // namespace linprob
