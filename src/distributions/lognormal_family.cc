#include "distributions/lognormal_family.h"

#include <cmath>
#include <cstddef>
#include <sstream>

#include <boost/math/distributions/lognormal.hpp>

#include "distributions/discretisation.h"
#include "distributions/parameter_files.h"
#include "distributions/entry_quantiles.h"
#include "linear/exact_moments.h"

namespace linprob {
namespace {

// The parameters of the entry's logarithm, from its mean and variance.
struct LogParameters {
  double mu = 0.0;
  double sigma = 0.0;
};
LogParameters logParameters(double mean, double variance) {
  // s^2 = log1p(v / m^2): the square, the quotient and the logarithm each
  // rounded on their own.
  const double square = mean * mean;
  const double ratio = variance / square;
  const double logVariance = std::log1p(ratio);
  const double half = logVariance / 2.0;
  const double logMean = std::log(mean);
  return LogParameters{logMean - half, std::sqrt(logVariance)};
}

}  // namespace

namespace family_rows {

RectangleTable lognormalCells(int count, const EntryParameters& entries) {
  RectangleTable table;
  if (count <= 0) return table;
  const unsigned n = entries.size();
  table.assign(static_cast<std::size_t>(count), std::vector<SampleRectangle>(n));
  const double cells = static_cast<double>(count);
  for (unsigned i = 0; i < n; ++i) {
    const double mean = entries.entry(i)[0];
    const double variance = entries.entry(i)[1];
    double sum = 0.0;
    if (variance > 0.0) {
      const LogParameters log = logParameters(mean, variance);
      const boost::math::lognormal_distribution<double> density(log.mu,
                                                                log.sigma);
      // The normal family's grid: start = mean - (w / 2) * count, value =
      // m * w + start, one rounding per step.
      const double deviation = std::sqrt(variance);
      const double width = normalCellWidth(count, deviation);
      const double halfWidth = width / 2.0;
      const double span = halfWidth * cells;
      const double start = mean - span;
      for (int m = 0; m < count; ++m) {
        SampleRectangle& cell = table[static_cast<std::size_t>(m)][i];
        const double offset = static_cast<double>(m) * width;
        cell.value = offset + start;
        cell.probability =
            cell.value > 0.0 ? boost::math::pdf(density, cell.value) : 0.0;
        sum += cell.probability;
      }
    }
    if (sum > 0.0) {
      for (auto& row : table) row[i].probability = row[i].probability / sum;
    } else {
      // No spread, or none the grid could see: the entry is its mean.
      for (auto& row : table) {
        row[i].value = mean;
        row[i].probability = 1.0 / cells;
      }
    }
  }
  return table;
}

NormalParameters lognormalMoments(EntryNumbers entry) {
  return NormalParameters{entry[0], entry[1]};
}

ExactEntryMoments exactLognormalMoments(EntryNumbers entry) {
  return ExactEntryMoments{normalEntryMoments(entry[0], entry[1])};
}

SamplingRange lognormalRange(EntryNumbers entry) {
  const double mean = entry[0];
  const double variance = entry[1];
  if (variance == 0.0) return SamplingRange{mean, mean};
  const LogParameters log = logParameters(mean, variance);
  const double reach = kSamplingDeviations * log.sigma;
  return SamplingRange{std::exp(log.mu - reach), std::exp(log.mu + reach)};
}

double lognormalQuantile(EntryNumbers entry, double u) {
  const double mean = entry[0];
  const double variance = entry[1];
  if (variance == 0.0) return mean;
  const LogParameters log = logParameters(mean, variance);
  const double scaled = log.sigma * standardNormalQuantile(u);
  return std::exp(log.mu + scaled);
}

}  // namespace family_rows

namespace parameter_checks {

void lognormalEntry(unsigned i, std::span<const double> numbers,
                    std::vector<std::string>& problems) {
  const std::size_t before = problems.size();
  normalEntry(i, numbers, problems);
  const double mean = numbers[0];
  if (problems.size() == before && mean <= 0.0) {
    std::ostringstream text;
    text << "pair " << i << " has a mean that is not positive (" << mean << ")";
    problems.push_back(text.str());
  }
}

}  // namespace parameter_checks

namespace parameter_stand_ins {

void lognormalEntry(double center, double halfWidth,
                    std::vector<double>& numbers) {
  const double magnitude = std::abs(center) + halfWidth;
  numbers.push_back(magnitude > 0.0 ? magnitude : 1.0);
  numbers.push_back(halfWidth * halfWidth / 3.0);
}

}  // namespace parameter_stand_ins

}  // namespace linprob
