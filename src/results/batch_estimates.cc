#include "results/batch_estimates.h"

#include <utility>

#include "results/position_threads.h"

namespace linprob {

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

}  // namespace linprob
