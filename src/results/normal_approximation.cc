#include "results/normal_approximation.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>

#include <boost/math/distributions/normal.hpp>

#include "linear/number_file.h"
#include "results/probability_table.h"

namespace linprob {
namespace {

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

// Reads n pairs and turns each into moments. Pairs the file does not supply
// get a mean and a variance that are not numbers, so that their positions are
// reported as having no approximation instead of carrying made-up values.
template <typename Moments>
std::string readApprox(std::vector<NormalParameters>& approx,
                       const std::string& path, unsigned n, Moments moments) {
  const std::size_t pairs = n;
  const NumberFile file = readNumbers(path, 2 * pairs);
  approx.assign(pairs, NormalParameters{kNotANumber, kNotANumber});
  for (std::size_t i = 0; 2 * i + 1 < file.values.size(); ++i) {
    approx[i] = moments(file.values[2 * i], file.values[2 * i + 1]);
  }
  return file.problem;
}

// Moments of a distribution on [low, up] with variance (up - low)^2 / divisor.
NormalParameters boundedMoments(double low, double up, double divisor) {
  const double sum = low + up;
  const double width = up - low;
  // The square is rounded before the division.
  const double square = width * width;
  return NormalParameters{sum / 2.0, square / divisor};
}

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
    if (std::isnan(x)) return kNotANumber;
    if (pointMass_) return x >= mean_ ? 1.0 : 0.0;
    return boost::math::cdf(distro_, x);
  }

 private:
  double mean_;
  bool pointMass_;
  boost::math::normal_distribution<double> distro_;
};

// Why position i has no approximation, or nullptr when it has one.
const char* missingReason(const NormalParameters& p) {
  if (!std::isfinite(p.mean) || !std::isfinite(p.variance)) {
    return ": its mean or variance is not finite.";
  }
  if (p.variance < 0.0) return ": its variance is negative.";
  return nullptr;
}

// Walks one position from its Min and Max: calls lower(Min, P) once,
// band(curr, upper, P) for every band and upper(curr, P) once.
template <typename Lower, typename Band, typename Upper>
void walkApprox(const PositionBands& bands, const NormalParameters& moments,
                int histogramPrecision, Lower lower, Band band, Upper upper) {
  const double min = bands.min;
  const double max = bands.max;
  // The step the histogram laid its borders with.
  const double step = bands.step;
  const Approximation approximation(moments);

  lower(min, approximation.cdf(min));
  // The same borders as the histogram: curr starts at Min and every border
  // adds step to the previous one.
  double curr = min;
  double cdfCurr = approximation.cdf(curr);
  int bandsOpen = 0;
  while (max > curr &&
         mayOpenBand(bandsOpen, curr, step, histogramPrecision)) {
    const double next = curr + step;
    const double cdfNext = approximation.cdf(next);
    band(curr, next, cdfNext - cdfCurr);
    curr = next;
    cdfCurr = cdfNext;
    ++bandsOpen;
  }
  upper(curr, 1.0 - cdfCurr);
}

NormalParameters momentsOf(const std::vector<NormalParameters>& approx,
                           std::size_t i) {
  if (i >= approx.size()) return NormalParameters{kNotANumber, kNotANumber};
  return approx[i];
}

}  // namespace

std::string readNormalApprox(std::vector<NormalParameters>& approx,
                             const std::string& path, unsigned n) {
  return readApprox(approx, path, n, [](double mean, double variance) {
    return NormalParameters{mean, variance};
  });
}

std::string readTriangularApprox(std::vector<NormalParameters>& approx,
                                 const std::string& path, unsigned n) {
  return readApprox(approx, path, n, [](double low, double up) {
    return boundedMoments(low, up, 24.0);
  });
}

std::string readUniformApprox(std::vector<NormalParameters>& approx,
                              const std::string& path, unsigned n) {
  return readApprox(approx, path, n, [](double low, double up) {
    return boundedMoments(low, up, 12.0);
  });
}

void printApproxProbabilities(std::vector<NormalParameters> approx,
                              int histogramPrecision,
                              const SampleTable& results,
                              const LinearSystem& system, std::ostream& out) {
  printApproxProbabilities(std::move(approx), histogramPrecision,
                           tabulateSortedTable(results, histogramPrecision),
                           system, out);
}

void storeApproxProbabilities(std::vector<NormalParameters> approx,
                              int histogramPrecision,
                              const SampleTable& results,
                              const LinearSystem& system, ResultStore& store,
                              int matrix, int mode, int distribution) {
  storeApproxProbabilities(std::move(approx), histogramPrecision,
                           tabulateSortedTable(results, histogramPrecision),
                           system, store, matrix, mode, distribution);
}

void printApproxProbabilities(std::vector<NormalParameters> approx,
                              int histogramPrecision, const PhaseBands& bands,
                              const LinearSystem& system, std::ostream& out) {
  for (std::size_t i = 0; i < system.columnOrder.size(); ++i) {
    const unsigned variable = system.columnOrder[i];
    const PositionBands* position = solvedBands(bands, i);
    if (position == nullptr) {
      printNoSamples(variable, out);
      continue;
    }
    const NormalParameters moments = momentsOf(approx, i);
    if (const char* reason = missingReason(moments)) {
      out << "No normal approximation exists for variable number " << variable
          << reason << std::endl;
      continue;
    }
    out << "Showing INVALID probabilities for variable number " << variable
        << std::endl;
    walkApprox(
        *position, moments, histogramPrecision,
        [&out](double min, double p) {
          out << "Lower than " << min << " : " << p << std::endl;
        },
        [&out](double from, double to, double p) {
          out << from << " to " << to << " : " << p << std::endl;
        },
        [&out](double last, double p) {
          out << "More than " << last << " : " << p << std::endl;
        });
  }
}

void storeApproxProbabilities(std::vector<NormalParameters> approx,
                              int histogramPrecision, const PhaseBands& bands,
                              const LinearSystem& system, ResultStore& store,
                              int matrix, int mode, int distribution) {
  for (std::size_t i = 0; i < system.columnOrder.size(); ++i) {
    const PositionBands* position = solvedBands(bands, i);
    if (position == nullptr) continue;
    const NormalParameters moments = momentsOf(approx, i);
    if (missingReason(moments) != nullptr) continue;
    const unsigned variable = system.columnOrder[i];
    ProbabilityMap& lowerTail =
        store.lowerTail[variable][matrix][mode][distribution];
    ProbabilityMap& bins = store.bins[variable][matrix][mode][distribution];
    ProbabilityMap& upperTail =
        store.upperTail[variable][matrix][mode][distribution];
    walkApprox(
        *position, moments, histogramPrecision,
        [&lowerTail](double min, double p) {
          storeProbability(lowerTail, min, p, false);
        },
        [&bins](double, double to, double p) {
          storeProbability(bins, to, p, false);
        },
        [&upperTail](double last, double p) {
          storeProbability(upperTail, last, p, false);
        });
  }
}

}  // namespace linprob
