#include "distributions/point_source.h"

#include "distributions/sampling_source.h"

namespace linprob {

PointSource::PointSource(const SourceRequest& request, const PointDesign& design)
    : n_(request.n),
      family_(request.family),
      entries_(request.entries),
      seed_(request.seed),
      design_(design),
      blocks_(*request.family, request.entries, request.seed, design) {}

std::uint64_t PointSource::chunkBlocks(std::size_t chunk) const {
  const UnitRange units = design_.chunkPlan().range(chunk);
  return units.end - units.first;
}

void PointSource::fill(std::size_t chunk, std::uint64_t k,
                       JobBlock& block) const {
  blocks_.fill(design_.chunkPlan().range(chunk).first + k, block);
}

FamilyBox PointSource::box() const { return samplingBox(*family_, entries_); }

std::size_t PointSource::batchOf(std::size_t chunk, std::uint64_t k) const {
  return design_.batchOf(design_.chunkPlan().range(chunk).first + k);
}

std::unique_ptr<JobSource> makeDesignSource(const SourceRequest& request,
                                            const PointDesign& design) {
  if (design.points != PointSet::kRandom) {
    return std::make_unique<PointSource>(request, design);
  }
  SourceRequest random = request;
  random.count = static_cast<int>(design.jobCount());
  return SamplingSource::make(random);
}

std::unique_ptr<JobSource> makeSamplingSource(const SourceRequest& request) {
  if (request.points == PointSet::kRandom) return SamplingSource::make(request);
  return std::make_unique<PointSource>(request,
                                       pointDesign(request.points, request.count));
}

}  // namespace linprob
