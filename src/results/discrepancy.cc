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
  // Differences and cumulative sums in band order, starting from the lower
  // tail; the upper tail is added last.
  double absoluteSum = lowerTail;
  double validCdf = 0.0;
  double approxCdf = lowerTail;
  double largest = std::fabs(validCdf - approxCdf);
  for (std::size_t k = 0; k < valid.size(); ++k) {
    const double difference = valid[k] - approxBands[k];
    absoluteSum += std::fabs(difference);
    validCdf += valid[k];
    approxCdf += approxBands[k];
    const double gap = std::fabs(validCdf - approxCdf);
    if (gap > largest) largest = gap;
  }
  absoluteSum += upperTail;
  Discrepancy result;
  result.totalVariation = absoluteSum / 2.0;
  result.maxCdf = largest;
  return result;
}

}  // namespace linprob
