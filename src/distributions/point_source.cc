#include "distributions/point_source.h"

#include "distributions/sampling_source.h"

namespace linprob {

PointSource::PointSource(const PhaseSpec& spec, const PointDesign& design)
    : n_(spec.n),
      family_(spec.family),
      pairs_(spec.pairs),
      seed_(spec.seed),
      design_(design),
      blocks_(spec.family->family, spec.pairs.first, spec.pairs.second,
              spec.seed, design) {}

std::uint64_t PointSource::chunkBlocks(std::size_t chunk) const {
  const UnitRange units = design_.chunkPlan().range(chunk);
  return units.end - units.first;
}

void PointSource::fill(std::size_t chunk, std::uint64_t k,
                       JobBlock& block) const {
  blocks_.fill(design_.chunkPlan().range(chunk).first + k, block);
}

FamilyBox PointSource::box() const { return samplingBox(*family_, pairs_); }

std::size_t PointSource::batchOf(std::size_t chunk, std::uint64_t k) const {
  return design_.batchOf(design_.chunkPlan().range(chunk).first + k);
}

std::unique_ptr<JobSource> makeDesignSource(const PhaseSpec& spec,
                                            const PointDesign& design) {
  if (design.points != PointSet::kRandom) {
    return std::make_unique<PointSource>(spec, design);
  }
  PhaseSpec random = spec;
  random.count = static_cast<int>(design.jobCount());
  return SamplingSource::make(random);
}

std::unique_ptr<JobSource> makeSamplingSource(const PhaseSpec& spec) {
  if (spec.points == PointSet::kRandom) return SamplingSource::make(spec);
  return std::make_unique<PointSource>(spec,
                                       pointDesign(spec.points, spec.count));
}

}  // namespace linprob
