#include "results/batch_errors.h"

#include <cmath>
#include <limits>
#include <utility>

#include "results/position_threads.h"

namespace linprob {
namespace {

// The estimates and weights of one quantity over the batches with weight.
struct Spread {
  std::vector<double> weights;
  std::vector<double> estimates;

  void add(double weight, double estimate) {
    weights.push_back(weight);
    estimates.push_back(estimate);
  }
  double error() const { return batchStandardError(weights, estimates); }
};

}  // namespace

double batchStandardError(std::span<const double> weights,
                          std::span<const double> estimates) {
  const std::size_t h = estimates.size();
  if (h < 2 || weights.size() != h) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  double total = 0.0;
  double weighted = 0.0;
  for (std::size_t r = 0; r < h; ++r) {
    total += weights[r];
    const double term = weights[r] * estimates[r];
    weighted += term;
  }
  const double mean = weighted / total;
  double sum = 0.0;
  for (std::size_t r = 0; r < h; ++r) {
    const double share = weights[r] / total;
    const double deviation = estimates[r] - mean;
    const double scaled = share * deviation;
    const double square = scaled * scaled;
    sum += square;
  }
  const auto count = static_cast<double>(h);
  const double factor = count / (count - 1.0);
  const double variance = factor * sum;
  return std::sqrt(variance);
}

std::vector<BatchEstimate> batchEstimates(const BatchSums& batches,
                                          std::size_t position,
                                          const PositionBands& bands) {
  const std::size_t bandCount = bands.masses.size();
  std::vector<BatchEstimate> estimates;
  std::optional<SubBandGrid> grid;
  for (std::size_t r = 0; r < batches.batches(); ++r) {
    const double* batchMasses = batches.masses(r, position);
    BatchEstimate estimate;
    estimate.batch = r;
    for (std::size_t k = 0; k < bandCount; ++k) {
      estimate.weight += batchMasses[k];
    }
    if (!(estimate.weight > 0.0)) continue;
    if (!batches.moments(r).empty()) {
      estimate.moments = batches.moments(r)[position];
    }
    const std::span<const std::uint64_t> counts = batches.counts(r, position);
    if (!counts.empty()) {
      if (!grid) grid.emplace(bands.min, bands.max, batches.subBands());
      estimate.coverage = coverageInterval(*grid, counts);
    }
    estimates.push_back(std::move(estimate));
  }
  return estimates;
}

PhaseEstimates phaseEstimates(const BatchSums& batches,
                              const PhaseBands& bands, unsigned threads) {
  PhaseEstimates estimates(bands.size());
  forEachPosition(bands.size(), threads, [&](std::size_t e) {
    if (bands[e].count == 0) return;
    estimates[e] = batchEstimates(batches, e, bands[e]);
  });
  return estimates;
}

namespace {

std::optional<PositionErrors> positionErrors(
    const BatchSums& batches, std::size_t position, const PositionBands& bands,
    const std::vector<BatchEstimate>& estimates) {
  if (estimates.size() < 2) return std::nullopt;
  const std::size_t bandCount = bands.masses.size();
  std::vector<Spread> masses(bandCount);
  Spread mean;
  Spread sd;
  std::vector<Spread> ends(4);
  double total = 0.0;
  for (const BatchEstimate& estimate : estimates) {
    const double weight = estimate.weight;
    const double* batchMasses = batches.masses(estimate.batch, position);
    total += weight;
    for (std::size_t k = 0; k < bandCount; ++k) {
      masses[k].add(weight, batchMasses[k] / weight);
    }
    if (estimate.moments) {
      mean.add(estimate.moments->sumWeight(), estimate.moments->mean());
      sd.add(estimate.moments->sumWeight(), estimate.moments->sd());
    }
    if (!estimate.coverage) continue;
    const CoverageInterval& interval = *estimate.coverage;
    ends[0].add(weight, interval.symmetricLower);
    ends[1].add(weight, interval.symmetricUpper);
    ends[2].add(weight, interval.shortestLower);
    ends[3].add(weight, interval.shortestUpper);
  }
  PositionErrors errors;
  for (const Spread& band : masses) {
    // The phase's mass is the sum of the batches' masses: W times the
    // weighted mean of their estimates.
    errors.masses.push_back(total * band.error());
  }
  errors.mean = mean.error();
  errors.sd = sd.error();
  if (ends[0].estimates.size() == estimates.size()) {
    errors.coverage = CoverageErrors{ends[0].error(), ends[1].error(),
                                     ends[2].error(), ends[3].error()};
  }
  return errors;
}

}  // namespace

std::vector<std::optional<PositionErrors>> standardErrors(
    const BatchSums& batches, const PhaseBands& bands) {
  return standardErrors(batches, bands, phaseEstimates(batches, bands));
}

std::vector<std::optional<PositionErrors>> standardErrors(
    const BatchSums& batches, const PhaseBands& bands,
    const PhaseEstimates& estimates, unsigned threads) {
  std::vector<std::optional<PositionErrors>> errors(bands.size());
  forEachPosition(bands.size(), threads, [&](std::size_t e) {
    if (bands[e].count == 0) return;
    errors[e] = positionErrors(batches, e, bands[e], estimates[e]);
  });
  return errors;
}

}  // namespace linprob
