#include "results/discrepancy.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace linprob {

Discrepancy discrepancy(const std::vector<double>& valid, double lowerTail,
                        const std::vector<double>& approxBands,
                        double upperTail) {
  if (valid.size() != approxBands.size()) {
    throw std::invalid_argument(
        "discrepancy: " + std::to_string(valid.size()) + " VALID bands but " +
        std::to_string(approxBands.size()) + " approximated");
  }
  return discrepancyBetween(0.0, valid, 0.0, lowerTail, approxBands,
                            upperTail);
}

Discrepancy discrepancyBetween(double lowerTailA, const std::vector<double>& a,
                               double upperTailA, double lowerTailB,
                               const std::vector<double>& b,
                               double upperTailB) {
  if (a.size() != b.size()) {
    throw std::invalid_argument("discrepancy: " + std::to_string(a.size()) +
                                " bands but " + std::to_string(b.size()));
  }
  // Differences and cumulative sums in band order, starting from the lower
  // tails; the upper tails are added last. (With A's tails 0 every step
  // rounds as a sum over VALID and an approximation's tails alone would.)
  double absoluteSum = std::fabs(lowerTailA - lowerTailB);
  double cdfA = lowerTailA;
  double cdfB = lowerTailB;
  double largest = std::fabs(cdfA - cdfB);
  for (std::size_t k = 0; k < a.size(); ++k) {
    const double difference = a[k] - b[k];
    absoluteSum += std::fabs(difference);
    cdfA += a[k];
    cdfB += b[k];
    const double gap = std::fabs(cdfA - cdfB);
    if (gap > largest) largest = gap;
  }
  absoluteSum += std::fabs(upperTailA - upperTailB);
  Discrepancy result;
  result.totalVariation = absoluteSum / 2.0;
  result.maxCdf = largest;
  return result;
}

}  // namespace linprob
