#include "distributions/sampling_source.h"

#include <utility>

namespace linprob {

SamplingSource::SamplingSource(const SourceRequest& request,
                               const PointDesign& design,
                               std::unique_ptr<PointGenerator> points)
    : n_(request.n),
      family_(request.family),
      entries_(request.entries),
      seed_(request.seed),
      design_(design),
      plan_(design.chunkPlan()),
      points_(std::move(points)) {}

std::uint64_t SamplingSource::chunkBlocks(std::size_t chunk) const {
  const UnitRange units = plan_.range(chunk);
  return units.end - units.first;
}

void SamplingSource::fill(std::size_t chunk, std::uint64_t k,
                          JobBlock& block) const {
  points_->fill(plan_.range(chunk).first + k, block);
}

FamilyBox SamplingSource::box() const { return samplingBox(*family_, entries_); }

std::size_t SamplingSource::batchOf(std::size_t chunk, std::uint64_t k) const {
  return design_.batchOf(plan_.range(chunk).first + k);
}

}  // namespace linprob
