#include "results/phase_result.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>

#include <boost/math/distributions/normal.hpp>

namespace linprob {
namespace {

// The cumulative distribution function of one position's approximation.
// Only built for a finite mean and a finite, non-negative variance; a zero
// variance is a point mass at the mean, which Boost.Math refuses as a scale.
class Approximation {
 public:
  explicit Approximation(const NormalParameters& p)
      : mean_(p.mean),
        pointMass_(p.variance == 0.0),
        distro_(pointMass_ ? 0.0 : p.mean,
                pointMass_ ? 1.0 : std::sqrt(p.variance)) {}

  double cdf(double x) const {
    // Boost.Math refuses an argument that is not a number.
    if (std::isnan(x)) return std::numeric_limits<double>::quiet_NaN();
    if (pointMass_) return x >= mean_ ? 1.0 : 0.0;
    return boost::math::cdf(distro_, x);
  }

 private:
  double mean_;
  bool pointMass_;
  boost::math::normal_distribution<double> distro_;
};

}  // namespace

std::size_t walkedBands(const PositionBands& bands) {
  const double first = bands.min + bands.step;
  const bool opens = bands.max > bands.min && first != bands.min;
  return opens ? bands.borders.size() : 0;
}

ApproxState approxState(const NormalParameters& moments) {
  if (!std::isfinite(moments.mean) || !std::isfinite(moments.variance)) {
    return ApproxState::kNotFinite;
  }
  if (moments.variance < 0.0) return ApproxState::kNegativeVariance;
  return ApproxState::kAvailable;
}

NormalTable normalTable(const PositionBands& bands,
                        const NormalParameters& moments,
                        const std::stop_token& stop) {
  const Approximation approximation(moments);
  NormalTable table;
  // Each band is cdf(upper) - cdf(lower) at the histogram's borders, the
  // cdf at a border computed once and reused for the next band.
  double cdfLower = approximation.cdf(bands.min);
  table.lowerTail = cdfLower;
  table.upperBorder = bands.min;
  const std::size_t count = walkedBands(bands);
  table.masses.reserve(count);
  for (std::size_t k = 0; k < count; ++k) {
    if (k % kBandsPerLook == 0 && stop.stop_requested()) break;
    const double upper = bands.borders[k];
    const double cdfUpper = approximation.cdf(upper);
    table.masses.push_back(cdfUpper - cdfLower);
    cdfLower = cdfUpper;
    table.upperBorder = upper;
  }
  table.upperTail = 1.0 - cdfLower;
  return table;
}

PhaseResult makePhaseResult(Family family, PhaseBands bands,
                            const std::vector<NormalParameters>& moments,
                            const std::vector<unsigned>& columnOrder,
                            const std::stop_token& stop) {
  PhaseResult result;
  result.family = family;
  result.positions.resize(columnOrder.size());
  for (std::size_t i = 0; i < columnOrder.size(); ++i) {
    if (stop.stop_requested()) break;
    PositionResult& position = result.positions[i];
    position.unknown = columnOrder[i];
    if (i < bands.size()) position.valid = std::move(bands[i]);
    position.moments =
        i < moments.size()
            ? moments[i]
            : NormalParameters{std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::quiet_NaN()};
    position.approxState = approxState(position.moments);
    if (position.hasInvalid()) {
      position.invalid = normalTable(position.valid, position.moments, stop);
    }
  }
  return result;
}

}  // namespace linprob
