#include "results/batch_errors.h"

#include <atomic>
#include <bit>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "results/coverage_interval.h"

namespace linprob {
namespace {

constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);
// All batch histograms together: 64 MiB of counts.
constexpr std::size_t kMostFineCounts = std::size_t{8} << 20;
constexpr std::size_t kFewestSubBands = 1024;

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

PhaseBatches::PhaseBatches(const CountLayout& layout, std::size_t batches,
                           std::size_t subBands)
    : layout_(layout), subBands_(subBands) {
  if (!std::has_single_bit(subBands) || subBands > kFineSubBands) {
    throw std::invalid_argument("phase batches: " + std::to_string(subBands) +
                                " sub-bands do not divide " +
                                std::to_string(kFineSubBands));
  }
  shift_ = static_cast<unsigned>(std::countr_zero(kFineSubBands / subBands));
  slot_.assign(layout.positions.size(), kNoSlot);
  for (std::size_t e = 0; e < layout.positions.size(); ++e) {
    if (layout.accumulate && layout.positions[e].subBands) slot_[e] = slots_++;
  }
  batches_.resize(batches);
  for (Batch& batch : batches_) {
    batch.masses.assign(layout.bandTotal, 0.0);
    if (!layout.accumulate) continue;
    for (const PositionLayout& position : layout.positions) {
      batch.moments.emplace_back(position.reference);
    }
  }
  fine_.assign(batches * slots_ * subBands, 0);
}

std::size_t PhaseBatches::subBandsFor(std::size_t positions,
                                      std::size_t batches) {
  std::size_t subBands = kFineSubBands;
  while (subBands > kFewestSubBands &&
         positions * batches * subBands > kMostFineCounts) {
    subBands /= 2;
  }
  return subBands;
}

void PhaseBatches::addChunk(std::size_t batch, const ChunkSums& chunk) {
  Batch& own = batches_[batch];
  for (std::size_t i = 0; i < own.masses.size(); ++i) {
    // Chunk after chunk, from 0.0, as the phase adds its masses.
    const double sum = own.masses[i] + chunk.masses[i];
    own.masses[i] = sum;
  }
  for (std::size_t e = 0; e < own.moments.size(); ++e) {
    own.moments[e].merge(chunk.moments[e]);
  }
}

void PhaseBatches::addSubBandSums(std::size_t batch, std::size_t position,
                                  const double* sums) {
  const std::size_t at = fineAt(batch, position);
  if (at == kNoSlot) return;
  std::uint64_t* const counts = fine_.data() + at;
  const std::size_t group = std::size_t{1} << shift_;
  for (std::size_t k = 0; k < subBands_; ++k) {
    std::uint64_t mass = 0;
    for (std::size_t f = k * group; f < (k + 1) * group; ++f) {
      mass += fixedPointMass(sums[f]);
    }
    if (mass != 0) {
      std::atomic_ref<std::uint64_t>(counts[k]).fetch_add(
          mass, std::memory_order_relaxed);
    }
  }
}

void PhaseBatches::addFineCounts(const std::vector<std::uint64_t>& counts) {
  if (counts.size() != fine_.size()) {
    throw std::invalid_argument("phase batches: fine counts of another shape");
  }
  for (std::size_t i = 0; i < fine_.size(); ++i) fine_[i] += counts[i];
}

std::size_t PhaseBatches::fineAt(std::size_t batch,
                                 std::size_t position) const {
  const std::size_t slot = slot_[position];
  if (slot == kNoSlot) return kNoSlot;
  return (batch * slots_ + slot) * subBands_;
}

std::optional<PositionErrors> PhaseBatches::positionErrors(
    std::size_t position, const PositionBands& bands) const {
  const PositionLayout& own = layout_.positions[position];
  const std::size_t bandCount = bands.masses.size();
  std::vector<Spread> masses(bandCount);
  Spread mean;
  Spread sd;
  std::vector<Spread> ends(4);
  double total = 0.0;
  std::size_t used = 0;
  for (std::size_t r = 0; r < batches_.size(); ++r) {
    const double* batchMasses = batches_[r].masses.data() + own.offset;
    double weight = 0.0;
    for (std::size_t k = 0; k < bandCount; ++k) weight += batchMasses[k];
    if (!(weight > 0.0)) continue;
    ++used;
    total += weight;
    for (std::size_t k = 0; k < bandCount; ++k) {
      masses[k].add(weight, batchMasses[k] / weight);
    }
    if (!batches_[r].moments.empty()) {
      const WeightedMoments& moments = batches_[r].moments[position];
      mean.add(moments.sumWeight(), moments.mean());
      sd.add(moments.sumWeight(), moments.sd());
    }
    const std::size_t at = fineAt(r, position);
    if (at == kNoSlot) continue;
    const auto counts = fine_.begin() + static_cast<std::ptrdiff_t>(at);
    FineHistogram histogram(bands.min, bands.max, subBands_);
    histogram.addCounts(std::vector<std::uint64_t>(
        counts, counts + static_cast<std::ptrdiff_t>(subBands_)));
    const std::optional<CoverageInterval> interval =
        coverageInterval(histogram);
    if (!interval) continue;
    ends[0].add(weight, interval->symmetricLower);
    ends[1].add(weight, interval->symmetricUpper);
    ends[2].add(weight, interval->shortestLower);
    ends[3].add(weight, interval->shortestUpper);
  }
  if (used < 2) return std::nullopt;
  PositionErrors errors;
  for (const Spread& band : masses) {
    // The phase's mass is the sum of the batches' masses: W times the
    // weighted mean of their estimates.
    errors.masses.push_back(total * band.error());
  }
  errors.mean = mean.error();
  errors.sd = sd.error();
  if (ends[0].estimates.size() == used) {
    errors.coverage = CoverageErrors{ends[0].error(), ends[1].error(),
                                     ends[2].error(), ends[3].error()};
  }
  return errors;
}

std::vector<std::optional<PositionErrors>> PhaseBatches::standardErrors(
    const PhaseBands& bands) const {
  std::vector<std::optional<PositionErrors>> errors(bands.size());
  for (std::size_t e = 0; e < bands.size(); ++e) {
    if (bands[e].count == 0) continue;
    errors[e] = positionErrors(e, bands[e]);
  }
  return errors;
}

}  // namespace linprob
