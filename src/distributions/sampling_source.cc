#include "distributions/sampling_source.h"

#include <algorithm>
#include <string>
#include <utility>

namespace linprob {

SamplingSource::SamplingSource(SamplingJobs jobs)
    : jobs_(std::move(jobs)),
      blocks_(jobs_),
      design_(pointDesign(PointSet::kRandom, jobs_.sampleCount)) {}

std::uint64_t SamplingSource::jobsFor(unsigned /*n*/, int count) {
  return count > 0 ? static_cast<std::uint64_t>(count) : 0;
}

std::uint64_t SamplingSource::unitsFor(unsigned n, int count) {
  return (jobsFor(n, count) + kBlockJobs - 1) / kBlockJobs;
}

std::string SamplingSource::describeJobs(unsigned /*n*/, int /*count*/) {
  return " (random samples)";
}

std::unique_ptr<JobSource> SamplingSource::make(const SourceRequest& request) {
  SamplingJobs jobs;
  jobs.n = request.n;
  jobs.family = request.family->family;
  jobs.parameters = request.entries;
  jobs.sampleCount = request.count;
  jobs.seed = request.seed;
  return std::make_unique<SamplingSource>(std::move(jobs));
}

std::uint64_t SamplingSource::jobCount() const {
  return static_cast<std::uint64_t>(std::max(jobs_.sampleCount, 0));
}

std::uint64_t SamplingSource::chunkBlocks(std::size_t chunk) const {
  const UnitRange blocks = jobs_.chunkPlan().range(chunk);
  return blocks.end - blocks.first;
}

void SamplingSource::fill(std::size_t chunk, std::uint64_t k,
                          JobBlock& block) const {
  blocks_.fill(jobs_.chunkPlan().range(chunk).first + k, block);
}

std::size_t SamplingSource::batchOf(std::size_t chunk,
                                    std::uint64_t k) const {
  return design_.batchOf(jobs_.chunkPlan().range(chunk).first + k);
}

FamilyBox SamplingSource::box() const {
  return samplingBox(familyInfo(jobs_.family), jobs_.parameters);
}

}  // namespace linprob
