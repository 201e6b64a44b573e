#include "distributions/random_points.h"

#include <memory>
#include <utility>

#include "distributions/job_source.h"
#include "distributions/point_design.h"

namespace linprob {

RandomPoints::RandomPoints(SamplingJobs jobs, const FamilyInfo& family)
    : jobs_(std::move(jobs)), blocks_(jobs_, family) {}

std::unique_ptr<PointGenerator> makeRandomPoints(const SourceRequest& request,
                                                 const PointDesign& design) {
  SamplingJobs jobs;
  jobs.n = request.n;
  jobs.family = request.family->family;
  jobs.parameters = request.entries;
  jobs.sampleCount = static_cast<int>(design.jobCount());
  jobs.seed = request.seed;
  jobs.correlation = request.correlation;
  return std::make_unique<RandomPoints>(std::move(jobs), *request.family);
}

}  // namespace linprob
